#pragma once

#include <QRect>
#include <QScrollBar>

// The message log's vertical scroll bar. Every block of rows sets its range and, with auto
// scroll, its value, yet among thousands of rows the slider rarely moves by a pixel; repainting
// the whole bar (a tall gradient that the style spreads over helper threads) each time would
// cost more than the rows themselves. So it repaints only when what it shows changes: the
// slider's place and size, and whether it stands at either end (the arrows' state). It paints
// all its pixels.
class LogScrollBar : public QScrollBar {
public:
    explicit LogScrollBar(QWidget* parent);

    // Changes between Hold() and Release() are judged as one: the slider that stays at the end
    // of a longer range is not repainted for the moment between.
    void Hold() { holding = true; }
    void Release();

protected:
    void sliderChange(SliderChange change) override;

private:
    struct Look {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look& other) const {
            return slider == other.slider && atMinimum == other.atMinimum &&
                   atMaximum == other.atMaximum;
        }
    };

    Look CurrentLook() const;

    bool holding = false;
    Look shown;
};
