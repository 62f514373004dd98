#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// Paints a cell of the message log: its fill, then its text at a baseline under a clip to the
// cell, so that a text is never laid out or elided. Streaming rows repaint the log a few times a
// second; this keeps each paint to a fraction of a millisecond.
class LogCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The tag cells drawn so far are drawn again at their next paint (new font, colours).
    void ForgetTagCells();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // Indexed by direction (sent or not), then by selection.
    mutable QPixmap tagCells[2][2];

    const QPixmap& TagCell(const QStyleOptionViewItem& option, int direction, bool selected,
                           const QPainter& target) const;
};
