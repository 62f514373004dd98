#pragma once

#include <QFont>
#include <QRect>

// Converts dialog-template units to pixels from a dialog font's metrics, the way dialog
// templates are laid out: a horizontal unit is a quarter of the font's average character
// width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int X(int units) const;
    int Y(int units) const;

    int baseX;
    int baseY;
};

// The font dialogs are laid out with: the desktop's interface font at 8 points, the size that
// the dialog templates were drawn for.
QFont DialogFont();
