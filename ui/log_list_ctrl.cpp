#include "ui/log_list_ctrl.h"

#include <QHeaderView>

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
    model.Append(direction, text);
    if (autoScroll) {
        // The new row is the last one; at the bottom of the scroll range it is whole. The
        // view is repainted once per event-loop pass instead of shifting its pixels for
        // every row, which in a burst would copy the whole view per line.
        viewport()->setUpdatesEnabled(false);
        scrollToBottom();
        viewport()->setUpdatesEnabled(true);
    }
    return 1;
}

void CLogListCtrl::ClearLog() {
    model.Clear();
}
