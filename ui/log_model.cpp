#include "ui/log_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "protocol/protocol_constants.h"
#include "ui/device_text.h"

namespace {

const QColor kTextColour(192, 192, 192);
const QColor kReceivedBackground(77, 153, 0);
const QColor kSentBackground(0, 78, 152);
constexpr int kColumns = 2;

}  // namespace

LogModel::LogModel(UiLanguage language, QObject* parent)
    : QAbstractTableModel(parent), language(language) {}

int LogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : committed + Shift();
}

int LogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (IsNote(index.row())) {
        return role == Qt::DisplayRole ? QVariant(index.column() == 0 ? QString() : Text(0))
                                       : QVariant();
    }
    const int direction = Direction(index.row());
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 0) {
                return direction == LOG_SEND ? QStringLiteral("[SEND]") : QStringLiteral("[RECV]");
            }
            return Text(index.row());
        case Qt::ForegroundRole:
            return QBrush(Foreground());
        case Qt::BackgroundRole:
            return QBrush(Background(direction));
        case Qt::TextAlignmentRole:
            return index.column() == 0 ? QVariant(Qt::AlignCenter)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

// Rows are headed by their number: the view hides that header, yet an accessibility client
// reads it before each row's cells.
QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(QString::number(section + 1)) : QVariant();
    }
    if (role == Qt::DisplayRole) {
        return section == 0 ? QStringLiteral("    ") : logHeader;
    }
    if (role == Qt::TextAlignmentRole) {
        return section == 0 ? QVariant(Qt::AlignCenter)
                            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags LogModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void LogModel::Append(int direction, std::string_view bytes) {
    arena.push_back(static_cast<char>(direction == LOG_SEND ? LOG_SEND : LOG_RECV));
    arena.insert(arena.end(), bytes.begin(), bytes.end());
    ends.push_back(origin + arena.size());
}

bool LogModel::Commit() {
    const int rows = static_cast<int>(ends.size());
    if (rows == committed) {
        return false;
    }
    beginInsertRows(QModelIndex(), committed + Shift(), rows + Shift() - 1);
    committed = rows;
    endInsertRows();
    if (committed > rowLimit) {
        DropOldest();
    }
    return true;
}

// A tenth of the bound at a time, so that moving what stays is paid once per many rows. The
// first row dropped becomes the note when there is none yet.
void LogModel::DropOldest() {
    const int count = committed - rowLimit + rowLimit / 10;
    const int removed = count + 1 - Shift();
    beginRemoveRows(QModelIndex(), 1, count);
    const std::uint64_t end = ends[static_cast<std::size_t>(removed) - 1];
    arena.erase(arena.begin(), arena.begin() + static_cast<std::ptrdiff_t>(end - origin));
    origin = end;
    ends.erase(ends.begin(), ends.begin() + removed);
    committed -= removed;
    dropped += removed;
    endRemoveRows();
    emit dataChanged(index(0, 0), index(0, 1));
}

void LogModel::Clear() {
    beginResetModel();
    std::deque<char>().swap(arena);
    std::deque<std::uint64_t>().swap(ends);
    origin = 0;
    committed = 0;
    dropped = 0;
    endResetModel();
}

void LogModel::SetLogHeader(const QString& header) {
    logHeader = header;
    emit headerDataChanged(Qt::Horizontal, 1, 1);
}

void LogModel::SetRowLimit(int rows) {
    rowLimit = std::max(10, rows);
}

QColor LogModel::Foreground() {
    return kTextColour;
}

QColor LogModel::Background(int direction) {
    return direction == LOG_SEND ? kSentBackground : kReceivedBackground;
}

bool LogModel::IsNote(int row) const {
    return row == 0 && dropped > 0;
}

// Where the kept row `row` (counted without the note) starts in the arena.
std::size_t LogModel::Begin(int row) const {
    return static_cast<std::size_t>((row == 0 ? origin : ends[static_cast<std::size_t>(row) - 1]) -
                                    origin);
}

int LogModel::Direction(int row) const {
    return IsNote(row) ? LOG_RECV : arena[Begin(row - Shift())];
}

std::string LogModel::Bytes(int row) const {
    if (IsNote(row)) {
        return {};
    }
    const int kept = row - Shift();
    const std::size_t end = static_cast<std::size_t>(ends[static_cast<std::size_t>(kept)] - origin);
    return std::string(arena.begin() + static_cast<std::ptrdiff_t>(Begin(kept) + 1),
                       arena.begin() + static_cast<std::ptrdiff_t>(end));
}

QString LogModel::Text(int row) const {
    if (IsNote(row)) {
        return QString::fromStdString(LoadString(IDS_LOG_ROWS_DROPPED, language))
            .replace(QStringLiteral("%s"), QString::number(dropped));
    }
    return DecodeDeviceText(Bytes(row), language);
}
