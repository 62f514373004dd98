#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QStaticText>
#include <QTimer>

#include "ui/log_model.h"

class QHeaderView;
class QStandardItemModel;

// The message log list: one row per line sent or received, tagged "[SEND]" or "[RECV]" and
// coloured by direction, under two column headers, with grid lines and full-row single
// selection. All rows have one height, so the list keeps nothing per row beyond the model's
// text and paints only the rows in view: adding rows and painting cost the same however long
// the log is.
//
// Rows added in one pass of the event loop (a drain of received lines, a burst of sent ones)
// are laid out together once control returns to the loop: one scroll and one repaint for all
// of them. While rows stream in, layouts are at least kFrameMs apart, so the list and its
// scroll bar repaint a few times a second however fast the rows come; the first row after a
// quiet spell shows at once. User-interface thread only.
class CLogListCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 200;

    explicit CLogListCtrl(QWidget* parent = nullptr);

    // The two columns: a 60-pixel centred tag column headed by four blanks, and a 310-pixel
    // text column headed by `logHeader`.
    void SetColumns(const QString& logHeader);

    // Appends a row for `text` (NUL-terminated). Returns 0 and adds nothing when the text is
    // absent or empty, else 1. With `autoScroll` the list scrolls to the newest row when it
    // lays out; without it the view stays where it is.
    int AddLogLine(int direction, const char* text, bool autoScroll);
    void ClearLog();

    const LogModel& Model() const { return model; }
    // The selected row, or -1.
    int SelectedRow() const { return selectedRow; }
    void SelectRow(int row);
    int RowHeight() const { return rowHeight; }
    // Lays out rows added since the last layout now rather than in the next pass.
    void LayOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    LogModel model;
    QStandardItemModel* headerModel;
    QHeaderView* header;
    int rowHeight = 0;
    int selectedRow = -1;
    int laidOutRows = 0;
    bool layoutPending = false;
    bool followNewest = false;
    QTimer frameTimer;  // single-shot: the next layout while rows stream
    QElapsedTimer sinceLayout;
    QStaticText tags[2];  // "[SEND]" and "[RECV]", shaped once

    void ScheduleLayout();
    void PlaceHeader();
    int ContentWidth() const;
    int RowsWidth() const;
    QColor TextColour(int row) const;
    void PaintCells(QPainter& painter, int row, int top, const int widths[2]) const;
    void PaintGrid(QPainter& painter, int top, int bottom, const int widths[2]) const;
};
