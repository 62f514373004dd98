#include "ui/log_list_ctrl.h"

#include <QAccessibleTableInterface>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "ui/log_cell_delegate.h"
#include "ui/log_context_menu.h"
#include "ui/log_scroll_bar.h"

namespace {

constexpr int kTagColumnWidth = 60;
constexpr int kTextColumnWidth = 310;
constexpr int kRowPadding = 4;
constexpr int kGridWidth = 1;

int Clamped(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The scroll offset nearest `value` that shows [start, start + length) in a page of `page`, or
// its start when it is longer than the page.
long long LeastScroll(long long value, long long start, int length, int page) {
    return std::min(std::max(value, start + length - page), start);
}

}  // namespace

CLogListCtrl::CLogListCtrl(QWidget* parent, UiLanguage language)
    : QTableView(parent), model(language, this), cells(new LogCellDelegate(this)) {
    scrollBar = new LogScrollBar(this);
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
    // A tab stop, so that the keys and the menu reach the rows without a mouse.
    setFocusPolicy(Qt::StrongFocus);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // The table's own layout, once while the log is empty, gives its corner button the width of
    // the hidden row header: none. Later layouts are this view's.
    QTableView::updateGeometries();
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

// The rows may have reached the view already (Model() hands them over); the scroll waits for
// this pass all the same, so that it happens once per block.
void CLogListCtrl::CommitRows() {
    commitQueued = false;
    scrollBar->Hold();
    model.Commit();
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

QRect CLogListCtrl::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != &model) {
        return {};
    }
    const long long top = static_cast<long long>(index.row()) * rowHeight - verticalOffset();
    return {horizontalHeader()->sectionViewportPosition(index.column()), Clamped(top),
            horizontalHeader()->sectionSize(index.column()) - kGridWidth, rowHeight - kGridWidth};
}

QModelIndex CLogListCtrl::indexAt(const QPoint& point) const {
    const int row = RowAt(point.y());
    const int column = horizontalHeader()->logicalIndexAt(point.x());
    return row >= 0 && row < model.rowCount() ? model.index(row, column) : QModelIndex();
}

void CLogListCtrl::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const long long top = static_cast<long long>(index.row()) * rowHeight;
    const int page = viewport()->height();
    long long value = verticalOffset();
    switch (hint) {
        case PositionAtTop:
            value = top;
            break;
        case PositionAtBottom:
            value = top + rowHeight - page;
            break;
        case PositionAtCenter:
            value = top - (page - rowHeight) / 2;
            break;
        case EnsureVisible:
            value = LeastScroll(value, top, rowHeight, page);
            break;
    }
    verticalScrollBar()->setValue(Clamped(value));
    const QHeaderView& columns = *horizontalHeader();
    horizontalScrollBar()->setValue(
        Clamped(LeastScroll(horizontalOffset(), columns.sectionPosition(index.column()),
                            columns.sectionSize(index.column()), viewport()->width())));
}

// The arrows and the page keys move along the rows, Left and Right between a row's cells (an
// accessibility client reads the cell in focus); Home and End go to the first and the last row,
// as in a list.
QModelIndex CLogListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const QModelIndex current = currentIndex();
    const int last = model.rowCount() - 1;
    int row = current.isValid() ? current.row() : -1;
    int column = std::max(0, current.column());
    switch (action) {
        case MoveLeft:
            column = 0;
            break;
        case MoveRight:
            column = model.columnCount() - 1;
            break;
        case MoveUp:
        case MovePrevious:
            --row;
            break;
        case MoveDown:
        case MoveNext:
            ++row;
            break;
        case MovePageUp:
            row -= RowsPerPage();
            break;
        case MovePageDown:
            row += RowsPerPage();
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = last;
            break;
        default:
            return current;
    }
    return last < 0 ? QModelIndex() : model.index(std::clamp(row, 0, last), column);
}

int CLogListCtrl::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int CLogListCtrl::verticalOffset() const {
    return verticalScrollBar()->value();
}

void CLogListCtrl::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect area = rect.normalized();
    const int first = std::max(0, RowAt(area.top()));
    const int last = std::min(model.rowCount() - 1, RowAt(area.bottom()));
    QItemSelection rows;
    if (first <= last) {
        rows.select(model.index(first, 0), model.index(last, model.columnCount() - 1));
    }
    selectionModel()->select(rows, command);
}

QRegion CLogListCtrl::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const QRect top = visualRect(model.index(range.top(), 0));
        const QRect bottom = visualRect(model.index(range.bottom(), 0));
        region += QRect(0, top.top(), viewport()->width(), bottom.bottom() - top.top() + 1)
                      .intersected(viewport()->rect());
    }
    return region;
}

// The header above the rows, and both scroll ranges from the row count and the columns' widths:
// no pass over the rows.
void CLogListCtrl::updateGeometries() {
    const int headerHeight = horizontalHeader()->sizeHint().height();
    if (viewportMargins().top() != headerHeight) {
        setViewportMargins(0, headerHeight, 0, 0);
    }
    const QRect area = viewport()->geometry();
    horizontalHeader()->setGeometry(area.left(), area.top() - headerHeight, area.width(),
                                    headerHeight);
    const long long length = static_cast<long long>(model.rowCount()) * rowHeight;
    verticalScrollBar()->setSingleStep(rowHeight);
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setRange(0, Clamped(std::max(0LL, length - area.height())));
    horizontalScrollBar()->setSingleStep(rowHeight);
    horizontalScrollBar()->setPageStep(area.width());
    horizontalScrollBar()->setRange(0, std::max(0, horizontalHeader()->length() - area.width()));
    QAbstractItemView::updateGeometries();
}

void CLogListCtrl::scrollContentsBy(int dx, int dy) {
    horizontalHeader()->setOffset(horizontalOffset());
    viewport()->scroll(dx, dy);
}

// Only the rows in the damaged part are painted, each cell by the delegate, then the grid.
void CLogListCtrl::paintEvent(QPaintEvent* event) {
    const QRect area = event->rect();
    const int first = std::max(0, RowAt(area.top()));
    const int last = std::min(model.rowCount() - 1, RowAt(area.bottom()));
    if (first > last) {
        return;
    }
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    for (int row = first; row <= last; ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex index = model.index(row, column);
            option.rect = visualRect(index);
            option.state = state;
            option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(index));
            cells->paint(&painter, option, index);
        }
    }
    PaintGrid(painter, option, first, last);
}

void CLogListCtrl::PaintGrid(QPainter& painter, const QStyleOptionViewItem& option, int firstRow,
                             int lastRow) const {
    const int hint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    painter.setPen(QColor::fromRgba(static_cast<QRgb>(hint)));
    const int left = horizontalHeader()->sectionViewportPosition(0);
    const int right = left + horizontalHeader()->length() - kGridWidth;
    const int top = visualRect(model.index(firstRow, 0)).top();
    const int bottom = visualRect(model.index(lastRow, 0)).bottom() + kGridWidth;
    for (int y = top + rowHeight - kGridWidth; y <= bottom; y += rowHeight) {
        painter.drawLine(left, y, right, y);
    }
    for (int column = 0; column < model.columnCount(); ++column) {
        const int x = horizontalHeader()->sectionViewportPosition(column) +
                      horizontalHeader()->sectionSize(column) - kGridWidth;
        painter.drawLine(x, top, x, bottom);
    }
}

// Ctrl+C copies the selected row as the context menu's Copy does, tag and text, rather than
// one cell.
void CLogListCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        menu->CopySelected();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
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
    rowHeight = fontMetrics().height() + kRowPadding;
    verticalHeader()->setMinimumSectionSize(rowHeight);  // for the accessible row headers
    verticalHeader()->setDefaultSectionSize(rowHeight);
    updateGeometries();
    viewport()->update();
}

// The row under a viewport ordinate, counted from the first row; negative above it.
int CLogListCtrl::RowAt(int y) const {
    const long long content = static_cast<long long>(y) + verticalOffset();
    return content < 0 ? -1 : Clamped(content / rowHeight);
}

int CLogListCtrl::RowsPerPage() const {
    return std::max(1, viewport()->height() / rowHeight);
}
