#pragma once

#include <QTableView>

#include "ui/log_model.h"

// The message log list: one row per line sent or received, tagged "[SEND]" or "[RECV]" and
// coloured by direction, with grid lines, full-row single selection and no sorting. Rows have
// one fixed height and the view scrolls by pixel, so that appending stays cheap however many
// rows the log holds. User-interface thread only.
class CLogListCtrl : public QTableView {
    Q_OBJECT

public:
    explicit CLogListCtrl(QWidget* parent = nullptr);

    // The two columns: a 60-pixel centred tag column headed by four blanks, and a 310-pixel
    // text column headed by `logHeader`.
    void SetColumns(const QString& logHeader);

    // Appends a row for `text` (NUL-terminated). Returns 0 and adds nothing when the text is
    // absent or empty, else 1. With `autoScroll` the new row is scrolled entirely into view;
    // without it the view stays where it is.
    int AddLogLine(int direction, const char* text, bool autoScroll);
    void ClearLog();

    const LogModel& Model() const { return model; }

private:
    LogModel model;
};
