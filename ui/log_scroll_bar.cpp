#include "ui/log_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

LogScrollBar::LogScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LogScrollBar::Release() {
    holding = false;
    sliderChange(SliderValueChange);
}

void LogScrollBar::sliderChange(SliderChange change) {
    if (holding) {
        return;
    }
    const Look now = CurrentLook();
    if (change != SliderOrientationChange && now == shown) {
        return;
    }
    shown = now;
    QScrollBar::sliderChange(change);
}

LogScrollBar::Look LogScrollBar::CurrentLook() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return Look{
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}
