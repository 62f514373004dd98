#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "resources/string_table.h"

// The rows of the message log: a direction and a line's bytes each, kept compactly (all bytes
// in one block-wise arena, one end offset per row: no per-row allocation, no reallocation while
// the log grows) so that hundreds of thousands of rows stay cheap. Column 0 shows the direction
// tag, column 1 the text decoded by the device-text rule of the interface language; both are
// coloured by direction.
//
// Rows are appended in blocks: Append() keeps a row, Commit() hands every row kept since the
// last commit to the views as one insertion, so a view lays out and paints once per block.
//
// The log is bounded (kRowLimit rows), so that its memory does not grow for ever. Past the
// bound, a commit drops the oldest tenth in one block, and a first row says how many rows were
// dropped (no tag, the window's own colours). Rows are numbered as shown, that row included.
// User-interface thread only.
class LogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kRowLimit = 1000000;

    explicit LogModel(UiLanguage language, QObject* parent = nullptr);
    UiLanguage Language() const { return language; }

    // The committed rows.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Keeps one row after the last; the bytes are copied. It is shown from the next Commit().
    void Append(int direction, std::string_view bytes);
    // Inserts the rows appended since the last commit, as one block. False when there were none.
    bool Commit();
    // Removes every row, committed or not, and gives their memory back.
    void Clear();
    void SetLogHeader(const QString& header);
    // Another bound than kRowLimit, at least 10 rows.
    void SetRowLimit(int rows);

    // Every row committed since the last clear, the dropped ones included.
    long long Logged() const { return committed + dropped; }
    // True for the row that stands for the rows dropped.
    bool IsNote(int row) const;
    int Direction(int row) const;
    // The row's bytes as they were received or sent.
    std::string Bytes(int row) const;
    // The row's text as shown.
    QString Text(int row) const;
    // The colours of a row: light text on green (received) or blue (sent).
    static QColor Foreground();
    static QColor Background(int direction);

private:
    UiLanguage language;
    std::deque<char> arena;          // per row: the direction byte, then the bytes
    std::deque<std::uint64_t> ends;  // end of each row, counted from the first byte ever kept
    std::uint64_t origin = 0;        // where the arena starts in that count
    int committed = 0;               // rows kept and shown
    long long dropped = 0;
    int rowLimit = kRowLimit;
    QString logHeader;

    int Shift() const { return dropped > 0 ? 1 : 0; }
    std::size_t Begin(int row) const;
    void DropOldest();
};
