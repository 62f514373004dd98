#include "ui/log_list_ctrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <vector>

#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"

namespace {

constexpr int kTagColumnWidth = 60;
constexpr int kTextColumnWidth = 310;
constexpr int kRowPadding = 4;
constexpr int kTextMargin = 3;
const QColor kGridColour(128, 128, 128);

// The list's vertical scroll bar. Every layout while rows stream sets its steps, range and value,
// yet among thousands of rows the slider rarely moves by a pixel; repainting the whole bar (a
// tall gradient that the style spreads over helper threads) each time would cost more than the
// rows themselves. So it repaints only when what it shows changes: the slider's place and size,
// and whether it stands at either end (the arrows' state).
class LogScrollBar : public QScrollBar {
public:
    explicit LogScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

    // Sets the range and, with `toEnd`, moves to its end, judged as one change: the slider
    // that stays at the end of a longer range is not repainted for the moment between.
    void Place(int maximum, bool toEnd) {
        holding = true;
        setRange(0, maximum);
        if (toEnd) {
            setValue(maximum);
        }
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

}  // namespace

CLogListCtrl::CLogListCtrl(QWidget* parent)
    : QAbstractScrollArea(parent),
      model(this),
      headerModel(new QStandardItemModel(0, 2, this)),
      header(new QHeaderView(Qt::Horizontal, this)) {
    setFocusPolicy(Qt::ClickFocus);
    setVerticalScrollBar(new LogScrollBar(this));
    // The rows paint every pixel of the viewport, so nothing behind it is painted first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent);
    rowHeight = fontMetrics().height() + kRowPadding;
    for (QStaticText& tag : tags) {
        tag.setTextFormat(Qt::PlainText);
        tag.setPerformanceHint(QStaticText::AggressiveCaching);
    }
    tags[0].setText(QStringLiteral("[SEND]"));
    tags[1].setText(QStringLiteral("[RECV]"));
    header->setModel(headerModel);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionResized, this, [this] {
        LayOut();
        viewport()->update();
    });
    new LogContextMenu(*this);  // a child of the list: Copy, Copy All, Save As...
    frameTimer.setSingleShot(true);
    connect(&frameTimer, &QTimer::timeout, this, [this] { LayOut(); });
}

void CLogListCtrl::SetColumns(const QString& logHeader) {
    model.SetLogHeader(logHeader);
    for (int column = 0; column < 2; ++column) {
        auto* item =
            new QStandardItem(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        item->setTextAlignment(column == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        headerModel->setHorizontalHeaderItem(column, item);
    }
    header->resizeSection(0, kTagColumnWidth);
    header->resizeSection(1, kTextColumnWidth);
    PlaceHeader();
}

int CLogListCtrl::AddLogLine(int direction, const char* text, bool autoScroll) {
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    model.Append(direction, text);
    followNewest = autoScroll;
    ScheduleLayout();
    return 1;
}

void CLogListCtrl::ClearLog() {
    model.Clear();
    selectedRow = -1;
    ScheduleLayout();
}

void CLogListCtrl::SelectRow(int row) {
    if (row < -1 || row >= model.rowCount() || row == selectedRow) {
        return;
    }
    selectedRow = row;
    viewport()->update();
}

void CLogListCtrl::ScheduleLayout() {
    if (layoutPending) {
        return;
    }
    layoutPending = true;
    const qint64 since = sinceLayout.isValid() ? sinceLayout.elapsed() : kFrameMs;
    if (since >= kFrameMs) {
        QMetaObject::invokeMethod(
            this, [this] { LayOut(); }, Qt::QueuedConnection);
    } else {
        frameTimer.start(int(kFrameMs - since));
    }
}

// New rows change the scroll range. Following them scrolls the view, which moves what is shown
// and paints only the strip that comes into view; rows added within the view are painted
// where they are; rows below it are not painted at all.
void CLogListCtrl::LayOut() {
    layoutPending = false;
    frameTimer.stop();
    sinceLayout.start();
    QScrollBar* vertical = verticalScrollBar();
    const int viewHeight = viewport()->height();
    const int rows = model.rowCount();
    const long long content = static_cast<long long>(rows) * rowHeight;
    vertical->setPageStep(viewHeight);
    vertical->setSingleStep(rowHeight);
    static_cast<LogScrollBar*>(vertical)->Place(
        static_cast<int>(std::max(0LL, content - viewHeight)), followNewest);
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, ContentWidth() - viewport()->width()));
    if (rows < laidOutRows) {
        viewport()->update();
    } else if (rows > laidOutRows) {
        const long long top = static_cast<long long>(laidOutRows) * rowHeight - vertical->value();
        if (top < viewHeight) {
            viewport()->update(0, static_cast<int>(std::max(0LL, top)), RowsWidth(), viewHeight);
        }
    }
    laidOutRows = rows;
}

int CLogListCtrl::ContentWidth() const {
    return header->length();
}

void CLogListCtrl::PlaceHeader() {
    const int height = header->sizeHint().height();
    setViewportMargins(0, height, 0, 0);
    const QRect area = viewport()->geometry();
    header->setGeometry(area.left(), area.top() - height, area.width(), height);
    header->setOffset(horizontalScrollBar()->value());
}

void CLogListCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    PlaceHeader();
    LayOut();
}

// Right of the rows the list is blank whatever the vertical position, so a vertical scroll
// moves and paints the rows' columns only.
void CLogListCtrl::scrollContentsBy(int dx, int dy) {
    header->setOffset(horizontalScrollBar()->value());
    if (dx != 0) {
        viewport()->scroll(dx, dy);
    } else {
        viewport()->scroll(0, dy, QRect(0, 0, RowsWidth(), viewport()->height()));
    }
}

// The width the rows take in the viewport.
int CLogListCtrl::RowsWidth() const {
    return std::clamp(ContentWidth() - horizontalScrollBar()->value(), 0, viewport()->width());
}

// Each row's fill and tag first, then the grid in one call, then the texts under one clip to
// the text column: a text is drawn at its baseline, so it is shaped but never laid out, and
// what would run past the column is cut off by the clip.
void CLogListCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int offset = verticalScrollBar()->value();
    const int first = (offset + area.top()) / rowHeight;
    const int last = std::min(model.rowCount() - 1, (offset + area.bottom()) / rowHeight);
    const int left = -horizontalScrollBar()->value();
    const int widths[2] = {header->sectionSize(0), header->sectionSize(1)};
    const int rowsRight = left + widths[0] + widths[1];
    const int rowsTop = first * rowHeight - offset;
    const int rowsBottom = (last + 1) * rowHeight - offset;
    // Below and right of the rows: the list's empty background.
    painter.fillRect(QRect(area.left(), rowsBottom, area.width(), area.bottom() - rowsBottom + 1),
                     palette().base());
    painter.fillRect(QRect(rowsRight, area.top(), area.right() - rowsRight + 1, area.height()),
                     palette().base());
    if (last < first) {
        return;
    }
    painter.translate(left, 0);
    for (int row = first; row <= last; ++row) {
        PaintCells(painter, row, row * rowHeight - offset, widths);
    }
    PaintGrid(painter, rowsTop, rowsBottom, widths);
    painter.setClipRect(QRect(widths[0] + kTextMargin, rowsTop,
                              std::max(0, widths[1] - 2 * kTextMargin), rowsBottom - rowsTop));
    const int baseline = (rowHeight - fontMetrics().height()) / 2 + fontMetrics().ascent();
    for (int row = first; row <= last; ++row) {
        const std::string_view text = model.Text(row);
        painter.setPen(TextColour(row));
        painter.drawText(QPointF(widths[0] + kTextMargin, row * rowHeight - offset + baseline),
                         QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
}

QColor CLogListCtrl::TextColour(int row) const {
    return row == selectedRow ? palette().highlightedText().color() : LogModel::Foreground();
}

// The row's fill and its tag, centred in the tag column.
void CLogListCtrl::PaintCells(QPainter& painter, int row, int top, const int widths[2]) const {
    const int direction = model.Direction(row);
    painter.fillRect(
        QRect(0, top, widths[0] + widths[1], rowHeight),
        row == selectedRow ? palette().highlight().color() : LogModel::Background(direction));
    const QStaticText& tag = tags[direction == LOG_SEND ? 0 : 1];
    const QSizeF size = tag.size();
    painter.setPen(TextColour(row));
    painter.drawStaticText(
        QPointF((widths[0] - size.width()) / 2, top + (rowHeight - size.height()) / 2), tag);
}

// Right of each cell and below each row.
void CLogListCtrl::PaintGrid(QPainter& painter, int top, int bottom, const int widths[2]) const {
    const int right = widths[0] + widths[1] - 1;
    std::vector<QLine> grid = {QLine(widths[0] - 1, top, widths[0] - 1, bottom - 1),
                               QLine(right, top, right, bottom - 1)};
    for (int y = top + rowHeight - 1; y < bottom; y += rowHeight) {
        grid.emplace_back(0, y, right, y);
    }
    painter.setPen(kGridColour);
    painter.drawLines(grid.data(), int(grid.size()));
}

void CLogListCtrl::mousePressEvent(QMouseEvent* event) {
    const int y = static_cast<int>(event->position().y()) + verticalScrollBar()->value();
    const int row = y / rowHeight;
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        SelectRow(row < model.rowCount() ? row : -1);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CLogListCtrl::keyPressEvent(QKeyEvent* event) {
    const int rows = model.rowCount();
    int row = selectedRow;
    switch (event->key()) {
        case Qt::Key_Up:
            row = std::max(0, row - 1);
            break;
        case Qt::Key_Down:
            row = std::min(rows - 1, row + 1);
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = rows - 1;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    if (rows == 0) {
        return;
    }
    SelectRow(row);
    const int top = row * rowHeight;
    QScrollBar* vertical = verticalScrollBar();
    if (top < vertical->value()) {
        vertical->setValue(top);
    } else if (top + rowHeight > vertical->value() + viewport()->height()) {
        vertical->setValue(top + rowHeight - viewport()->height());
    }
}
