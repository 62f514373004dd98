#include "ui/log_cell_delegate.h"

#include <QPainter>

#include "protocol/protocol_constants.h"
#include "ui/log_model.h"

namespace {

constexpr int kTextMargin = 3;

void FillCell(QPainter* painter, const QStyleOptionViewItem& option, const QRect& cell,
              int direction, bool note, bool selected) {
    const QPalette& palette = option.palette;
    painter->fillRect(cell, selected ? palette.highlight().color()
                            : note   ? palette.base().color()
                                     : LogModel::Background(direction));
    painter->setPen(selected ? palette.highlightedText().color()
                    : note   ? palette.text().color()
                             : LogModel::Foreground());
}

}  // namespace

void LogCellDelegate::ForgetTagCells() {
    for (auto& direction : tagCells) {
        for (QPixmap& cell : direction) {
            cell = QPixmap();
        }
    }
}

void LogCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto& model = static_cast<const LogModel&>(*index.model());
    const int direction = model.Direction(index.row());
    const bool note = model.IsNote(index.row());
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QRect cell = option.rect;
    if (index.column() == 0 && !note) {
        painter->drawPixmap(cell.topLeft(), TagCell(option, direction, selected, *painter));
        return;
    }
    FillCell(painter, option, cell, direction, note, selected);
    if (note && index.column() == 0) {
        return;
    }
    painter->save();
    painter->setClipRect(cell.adjusted(kTextMargin, 0, -kTextMargin, 0));
    const QFontMetrics metrics = option.fontMetrics;
    const int baseline = cell.top() + (cell.height() - metrics.height()) / 2 + metrics.ascent();
    painter->drawText(QPoint(cell.left() + kTextMargin, baseline), model.Text(index.row()));
    painter->restore();
}

// A tag cell differs from another only by direction and selection: each is drawn once into a
// pixmap of the cell's size and copied from then on, for a fraction of what shaping and blending
// its text again would cost.
const QPixmap& LogCellDelegate::TagCell(const QStyleOptionViewItem& option, int direction,
                                        bool selected, const QPainter& target) const {
    QPixmap& pixmap = tagCells[direction == LOG_SEND ? 1 : 0][selected ? 1 : 0];
    const qreal ratio = target.device()->devicePixelRatio();
    const QSize size = option.rect.size();
    if (pixmap.deviceIndependentSize().toSize() == size && pixmap.devicePixelRatio() == ratio) {
        return pixmap;
    }
    pixmap = QPixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    QPainter painter(&pixmap);
    painter.setFont(option.font);
    const QRect cell(QPoint(0, 0), size);
    FillCell(&painter, option, cell, direction, false, selected);
    painter.drawText(cell, Qt::AlignCenter,
                     direction == LOG_SEND ? QStringLiteral("[SEND]") : QStringLiteral("[RECV]"));
    return pixmap;
}
