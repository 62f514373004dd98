#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The rows of the message log: a direction and a line of text each, kept compactly (all texts
// in one character arena, one end offset per row) so that hundreds of thousands of rows stay
// cheap. Column 0 shows the direction tag, column 1 the text; both are coloured by direction.
// User-interface thread only.
class LogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit LogModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Appends one row at the end; the text is copied.
    void Append(int direction, std::string_view text);
    // Removes every row and gives their memory back.
    void Clear();
    void SetLogHeader(const QString& header);

    int Direction(int row) const;
    // The colours of a row: light text on green (received) or blue (sent).
    static QColor Foreground();
    static QColor Background(int direction);
    std::string_view Text(int row) const;

private:
    std::vector<char> arena;        // per row: the direction byte, then the text
    std::vector<std::size_t> ends;  // end offset of each row in the arena
    QString logHeader;
};
