#include "ui/log_model.h"

#include <QBrush>
#include <QColor>

#include "protocol/protocol_constants.h"

namespace {

const QColor kTextColour(192, 192, 192);
const QColor kReceivedBackground(77, 153, 0);
const QColor kSentBackground(0, 78, 152);
constexpr int kColumns = 2;

}  // namespace

LogModel::LogModel(QObject* parent) : QAbstractTableModel(parent) {}

int LogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ends.size());
}

int LogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const bool sent = Direction(index.row()) == LOG_SEND;
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 0) {
                return sent ? QStringLiteral("[SEND]") : QStringLiteral("[RECV]");
            } else {
                const std::string_view text = Text(index.row());
                return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
            }
        case Qt::ForegroundRole:
            return QBrush(Foreground());
        case Qt::BackgroundRole:
            return QBrush(Background(Direction(index.row())));
        case Qt::TextAlignmentRole:
            return index.column() == 0 ? QVariant(Qt::AlignCenter)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::UserRole:
            return Direction(index.row());
        default:
            return {};
    }
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
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
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void LogModel::Append(int direction, std::string_view text) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    arena.push_back(static_cast<char>(direction == LOG_SEND ? LOG_SEND : LOG_RECV));
    arena.insert(arena.end(), text.begin(), text.end());
    ends.push_back(arena.size());
    endInsertRows();
}

void LogModel::Clear() {
    beginResetModel();
    std::vector<char>().swap(arena);
    std::vector<std::size_t>().swap(ends);
    endResetModel();
}

void LogModel::SetLogHeader(const QString& header) {
    logHeader = header;
    emit headerDataChanged(Qt::Horizontal, 1, 1);
}

QColor LogModel::Foreground() {
    return kTextColour;
}

QColor LogModel::Background(int direction) {
    return direction == LOG_SEND ? kSentBackground : kReceivedBackground;
}

int LogModel::Direction(int row) const {
    const std::size_t begin = row == 0 ? 0 : ends[static_cast<std::size_t>(row) - 1];
    return arena[begin];
}

std::string_view LogModel::Text(int row) const {
    const std::size_t begin = (row == 0 ? 0 : ends[static_cast<std::size_t>(row) - 1]) + 1;
    return std::string_view(arena.data() + begin, ends[static_cast<std::size_t>(row)] - begin);
}
