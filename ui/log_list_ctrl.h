#pragma once

#include <QTableView>

#include "resources/string_table.h"
#include "ui/log_model.h"

class LogCellDelegate;
class LogContextMenu;
class LogScrollBar;

// The message log list: one row per line sent or received, tagged "[SEND]" or "[RECV]" and
// coloured by direction, under two column headers, with grid lines and full-row single
// selection. A table view over the log model, so accessibility clients read it as a table of
// cells, and the keys move the selection as in any table (Ctrl+C copies the selected row).
//
// Rows have one height, fitted to the font, so a row's place is computed here: a table view
// would ask its row header, which sums the heights of every row before it after each block.
// Adding a block of rows, painting and scrolling cost the same however long the log is.
//
// Rows added in one pass of the event loop (a drain of received lines, a burst of sent ones)
// reach the view together when control returns to the loop: one insertion, one scroll and one
// repaint for all of them. User-interface thread only.
class CLogListCtrl : public QTableView {
    Q_OBJECT

public:
    // Texts are decoded by the device-text rule of `language`.
    explicit CLogListCtrl(QWidget* parent = nullptr, UiLanguage language = DetectUiLanguage());

    // The two columns: a 60-pixel centred tag column headed by four blanks, and a 310-pixel
    // text column headed by `logHeader`.
    void SetColumns(const QString& logHeader);

    // Appends a row for `text` (NUL-terminated). Returns 0 and adds nothing when the text is
    // absent or empty, else 1. With `autoScroll` the list scrolls so that the newest row is
    // fully in view once the rows reach it; without it the view stays where it is.
    int AddLogLine(int direction, const char* text, bool autoScroll);
    void ClearLog();

    // Every row added so far: rows not yet handed to the view are handed over first.
    const LogModel& Model() const;
    // The selected row, or -1.
    int SelectedRow() const;
    // Selects `row` (-1: none); a row that does not exist is ignored.
    void SelectRow(int row);
    int RowHeight() const { return rowHeight; }

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    mutable LogModel model;
    LogCellDelegate* cells;  // before any event that the constructor's settings send
    LogContextMenu* menu;
    LogScrollBar* scrollBar;
    int rowHeight = 1;
    bool commitQueued = false;
    bool scrollQueued = false;

    void CommitRows();
    void ForgetAccessibleCells();
    void FitRowsToFont();
    int RowAt(int y) const;
    int RowsPerPage() const;
    void PaintGrid(QPainter& painter, const QStyleOptionViewItem& option, int firstRow,
                   int lastRow) const;
};
