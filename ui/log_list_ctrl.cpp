#include "ui/log_list_ctrl.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>

#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"

namespace {

constexpr int kTagColumnWidth = 60;
constexpr int kTextColumnWidth = 310;
constexpr int kRowPadding = 4;
constexpr int kTextMargin = 3;

}  // namespace

// Paints a cell: its fill, then its text at a baseline under a clip to the cell, so that a text
// is never laid out or elided. Streaming rows repaint the view a few times a second; this keeps
// each paint to a fraction of a millisecond.
class CLogListCtrl::CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The tag cells drawn so far are drawn again at their next paint (new font, colours).
    void ForgetTagCells() {
        for (auto& direction : tagCells) {
            for (QPixmap& cell : direction) {
                cell = QPixmap();
            }
        }
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto& model = static_cast<const LogModel&>(*index.model());
        const int direction = model.Direction(index.row());
        const bool note = model.IsNote(index.row());
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QRect cell = option.rect;
        if (index.column() == 0 && !note) {
            painter->drawPixmap(cell.topLeft(), TagCell(option, direction, selected, *painter));
            return;
        }
        FillCell(painter, option, cell, direction, note, selected);
        if (note && index.column() == 0) {
            return;
        }
        painter->save();
        painter->setClipRect(cell.adjusted(kTextMargin, 0, -kTextMargin, 0));
        const QFontMetrics metrics = option.fontMetrics;
        const int baseline = cell.top() + (cell.height() - metrics.height()) / 2 + metrics.ascent();
        painter->drawText(QPoint(cell.left() + kTextMargin, baseline), model.Text(index.row()));
        painter->restore();
    }

private:
    // Indexed by direction (sent or not), then by selection.
    mutable QPixmap tagCells[2][2];

    static void FillCell(QPainter* painter, const QStyleOptionViewItem& option, const QRect& cell,
                         int direction, bool note, bool selected) {
        const QPalette& palette = option.palette;
        painter->fillRect(cell, selected ? palette.highlight().color()
                                : note   ? palette.base().color()
                                         : LogModel::Background(direction));
        painter->setPen(selected ? palette.highlightedText().color()
                        : note   ? palette.text().color()
                                 : LogModel::Foreground());
    }

    // A tag cell differs from another only by direction and selection: each is drawn once
    // into a pixmap of the cell's size and copied from then on, for a fraction of what shaping
    // and blending its text again would cost.
    const QPixmap& TagCell(const QStyleOptionViewItem& option, int direction, bool selected,
                           const QPainter& target) const {
        QPixmap& pixmap = tagCells[direction == LOG_SEND ? 1 : 0][selected ? 1 : 0];
        const qreal ratio = target.device()->devicePixelRatio();
        const QSize size = option.rect.size();
        if (pixmap.deviceIndependentSize().toSize() == size && pixmap.devicePixelRatio() == ratio) {
            return pixmap;
        }
        pixmap = QPixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        QPainter painter(&pixmap);
        painter.setFont(option.font);
        const QRect cell(QPoint(0, 0), size);
        FillCell(&painter, option, cell, direction, false, selected);
        painter.drawText(
            cell, Qt::AlignCenter,
            direction == LOG_SEND ? QStringLiteral("[SEND]") : QStringLiteral("[RECV]"));
        return pixmap;
    }
};

// The list's vertical scroll bar. Every block of rows sets its range and, with auto scroll, its
// value, yet among thousands of rows the slider rarely moves by a pixel; repainting the whole
// bar (a tall gradient that the style spreads over helper threads) each time would cost more
// than the rows themselves. So it repaints only when what it shows changes: the slider's place
// and size, and whether it stands at either end (the arrows' state). It paints all its pixels.
class CLogListCtrl::ScrollBar : public QScrollBar {
public:
    explicit ScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Changes between Hold() and Release() are judged as one: the slider that stays at the end
    // of a longer range is not repainted for the moment between.
    void Hold() { holding = true; }
    void Release() {
        holding = false;
        sliderChange(SliderValueChange);
    }

protected:
    void sliderChange(SliderChange change) override {
        if (holding) {
            return;
        }
        const Look now = CurrentLook();
        if (change != SliderOrientationChange && now == shown) {
            return;
        }
        shown = now;
        QScrollBar::sliderChange(change);
    }

private:
    struct Look {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look& other) const {
            return slider == other.slider && atMinimum == other.atMinimum &&
                   atMaximum == other.atMaximum;
        }
    };

    Look CurrentLook() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return Look{style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                            QStyle::SC_ScrollBarSlider, this),
                    value() == minimum(), value() == maximum()};
    }

    bool holding = false;
    Look shown;
};

CLogListCtrl::CLogListCtrl(QWidget* parent, UiLanguage language)
    : QTableView(parent), model(language, this), cells(new CellDelegate(this)) {
    scrollBar = new ScrollBar(this);
    setVerticalScrollBar(scrollBar);
    // The view follows its scroll bar through these; a replaced bar needs them again.
    connect(scrollBar, &QScrollBar::actionTriggered, this, &CLogListCtrl::verticalScrollbarAction);
    connect(scrollBar, &QScrollBar::valueChanged, this,
            &CLogListCtrl::verticalScrollbarValueChanged);
    setModel(&model);
    // Log rows are mostly Latin, which is then drawn unshaped: shaping cost most of a row's
    // paint. Other scripts are shaped all the same.
    QFont unshaped;
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    setFont(unshaped);
    setItemDelegate(cells);
    setFocusPolicy(Qt::ClickFocus);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    FitRowsToFont();
    menu = new LogContextMenu(*this);  // a child of the list: Copy, Copy All, Save As...
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { ForgetAccessibleCells(); });
    connect(&model, &QAbstractItemModel::rowsRemoved, this, [this] { ForgetAccessibleCells(); });
}

void CLogListCtrl::SetColumns(const QString& logHeader) {
    model.SetLogHeader(logHeader);
    horizontalHeader()->resizeSection(0, kTagColumnWidth);
    horizontalHeader()->resizeSection(1, kTextColumnWidth);
}

int CLogListCtrl::AddLogLine(int direction, const char* text, bool autoScroll) {
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    model.Append(direction, text);
    scrollQueued = autoScroll;
    if (!commitQueued) {
        commitQueued = true;
        QMetaObject::invokeMethod(this, &CLogListCtrl::CommitRows, Qt::QueuedConnection);
    }
    return 1;
}

// The rows may have reached the view already (Model() hands them over); the layout and the
// scroll wait for this pass all the same, so that they happen once per block.
void CLogListCtrl::CommitRows() {
    commitQueued = false;
    scrollBar->Hold();
    model.Commit();
    executeDelayedItemsLayout();
    if (scrollQueued) {
        scrollQueued = false;
        scrollToBottom();
    }
    scrollBar->Release();
}

void CLogListCtrl::ClearLog() {
    model.Clear();
    scrollQueued = false;
}

const LogModel& CLogListCtrl::Model() const {
    model.Commit();
    return model;
}

int CLogListCtrl::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CLogListCtrl::SelectRow(int row) {
    if (row < -1 || row >= Model().rowCount()) {
        return;
    }
    if (row == -1) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(
        model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Ctrl+C copies the selected row as the context menu's Copy does, tag and text, rather than
// the one cell that a table view copies.
void CLogListCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        menu->CopySelected();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Home and End go to the first and the last row, as in a list: the cells of a row are selected
// together, so moving along a row would move nothing.
QModelIndex CLogListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd) {
        modifiers |= Qt::ControlModifier;
    }
    return QTableView::moveCursor(action, modifiers);
}

// A change of font, also one that follows the screen's resolution, changes the rows' height;
// the tag cells are drawn again for it, and for new colours.
void CLogListCtrl::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
            FitRowsToFont();
            [[fallthrough]];
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
            cells->ForgetTagCells();
            break;
        default:
            break;
    }
    QTableView::changeEvent(event);
}

// The view tells its accessible table of cleared or dropped rows only while a client is active;
// cells handed out before would otherwise keep reading rows that are gone, also to a client
// that comes later.
void CLogListCtrl::ForgetAccessibleCells() {
    if (QAccessible::isActive()) {
        return;
    }
    QAccessibleTableModelChangeEvent change(this, QAccessibleTableModelChangeEvent::ModelReset);
    if (QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this)) {
        table->tableInterface()->modelChange(&change);
    }
}

void CLogListCtrl::FitRowsToFont() {
    const int height = fontMetrics().height() + kRowPadding;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}
