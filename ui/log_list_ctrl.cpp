#include "ui/log_list_ctrl.h"

#include <QHeaderView>
#include <QScrollBar>

#include "ui/log_context_menu.h"
#include <QTimer>

namespace {

constexpr int kTagColumnWidth = 60;
constexpr int kTextColumnWidth = 310;
constexpr int kRowPadding = 4;

}  // namespace

CLogListCtrl::CLogListCtrl(QWidget* parent) : QTableView(parent), model(this) {
    setModel(&model);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::ClickFocus);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // A fixed row height spares the view from measuring rows.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + kRowPadding);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(false);
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);

    new LogContextMenu(*this);  // a child of the list: Copy, Copy All, Save As...

    frameTimer.setSingleShot(true);
    frameTimer.setInterval(kFrameMs);
    connect(&frameTimer, &QTimer::timeout, this, [this] { EndFrame(); });
    bottom = verticalScrollBar()->maximum();
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this](int, int maximum) { KeepNewestInView(maximum); });
}

void CLogListCtrl::SetColumns(const QString& logHeader) {
    model.SetLogHeader(logHeader);
    setColumnWidth(0, kTagColumnWidth);
    setColumnWidth(1, kTextColumnWidth);
}

int CLogListCtrl::AddLogLine(int direction, const char* text, bool autoScroll) {
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    HoldRepaint();
    model.Append(direction, text);
    followNewest = autoScroll;
    // Scrolling lays the view out again: once for all the rows of a pass is enough, as no
    // paint can come between them.
    if (autoScroll && !scrollPending) {
        scrollPending = true;
        QTimer::singleShot(0, this, [this] { ScrollToNewest(); });
    }
    return 1;
}

void CLogListCtrl::ClearLog() {
    HoldRepaint();
    model.Clear();
}

// Repainting shows whole frames: the rows, the scroll position and the scroll bar as they
// stand at the frame's end, whatever happened to them during it. New rows change only the
// rows' area and the vertical scroll bar; the headers and the horizontal bar stay as they are.
void CLogListCtrl::HoldRepaint() {
    if (frameTimer.isActive()) {
        return;
    }
    viewport()->setUpdatesEnabled(false);
    verticalScrollBar()->setUpdatesEnabled(false);
    frameTimer.start();
}

void CLogListCtrl::EndFrame() {
    // A modal box that a pass opens lets frames end before the pass does.
    ScrollToNewest();
    if (pointerCheckPending) {
        pointerCheckPending = false;
        QTableView::verticalScrollbarValueChanged(verticalScrollBar()->value());
    }
    viewport()->setUpdatesEnabled(true);  // each repaints itself whole
    verticalScrollBar()->setUpdatesEnabled(true);
}

// The first rows that overflow the view bring in the scroll bars after the view was scrolled,
// and the horizontal one takes height from it: a view left at the bottom for the newest row
// moves with the bottom, so that the row stays whole. A view the operator scrolled away
// stays where it is.
void CLogListCtrl::KeepNewestInView(int maximum) {
    QScrollBar* bar = verticalScrollBar();
    if (followNewest && bar->value() == bottom) {
        bar->setValue(maximum);
    }
    bottom = maximum;
}

// After a scroll the view finds the row under the pointer again, asking the windowing system
// where the pointer is: a round trip for every new row of a burst. Within a frame nothing is
// painted, so once before the frame's repaint is enough.
void CLogListCtrl::verticalScrollbarValueChanged(int value) {
    if (frameTimer.isActive()) {
        pointerCheckPending = true;
        return;
    }
    QTableView::verticalScrollbarValueChanged(value);
}

// The newest row is the last one; at the bottom of the scroll range it is whole. The range
// follows the rows once the view has laid itself out, which it does only once here (unlike
// scrollToBottom, which lays out twice).
void CLogListCtrl::ScrollToNewest() {
    if (scrollPending) {
        scrollPending = false;
        executeDelayedItemsLayout();
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
}
