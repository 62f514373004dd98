#pragma once

#include <QTableView>
#include <QTimer>

#include "ui/log_model.h"

// The message log list: one row per line sent or received, tagged "[SEND]" or "[RECV]" and
// coloured by direction, with grid lines, full-row single selection and no sorting. Rows have
// one fixed height and the view scrolls by pixel, so that appending stays cheap however many
// rows the log holds.
//
// A burst of lines is shown frame by frame: the first change to the rows holds the list's
// repainting for one frame (kFrameMs), and the list is then repainted once with all the
// changes of that frame. User-interface thread only.
class CLogListCtrl : public QTableView {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 50;

    explicit CLogListCtrl(QWidget* parent = nullptr);

    // The two columns: a 60-pixel centred tag column headed by four blanks, and a 310-pixel
    // text column headed by `logHeader`.
    void SetColumns(const QString& logHeader);

    // Appends a row for `text` (NUL-terminated). Returns 0 and adds nothing when the text is
    // absent or empty, else 1. With `autoScroll` the new row is scrolled entirely into view
    // before it is painted: at once, or, for the lines of a hand-off pass, once at the end of
    // the pass. Without it the view stays where it is.
    int AddLogLine(int direction, const char* text, bool autoScroll);
    void ClearLog();

    const LogModel& Model() const { return model; }

protected:
    void verticalScrollbarValueChanged(int value) override;

private:
    LogModel model;
    QTimer frameTimer;
    bool scrollPending = false;
    bool followNewest = false;         // the newest row was added with auto scroll
    bool pointerCheckPending = false;  // scrolled during the frame
    int bottom = 0;                    // the end of the scroll range as last laid out

    void HoldRepaint();
    void EndFrame();
    void ScrollToNewest();
    void KeepNewestInView(int maximum);
};
