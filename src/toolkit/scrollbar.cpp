#include "toolkit/scrollbar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace toolkit {

HScrollBar::HScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Qt announces a moved thumb before it updates the value, so scroll follows the value
    // itself while the thumb is held.
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (isSliderDown())
            emit scroll();
        else
            emit change();
    });
    connect(this, &QScrollBar::sliderReleased, this, &HScrollBar::change);
}

// Qt's scroll bars invert their controls for the wheel, which also turns the horizontal arrow
// keys around; the right arrow moves towards Max, as the thumb does.
void HScrollBar::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Right) {
            triggerAction(SliderSingleStepAdd);
            return;
        }
        if (event->key() == Qt::Key_Left) {
            triggerAction(SliderSingleStepSub);
            return;
        }
    }
    QScrollBar::keyPressEvent(event);
}

// Fusion draws no focus on a scroll bar, so the keyboard's target would be invisible; the thumb
// is outlined in the highlight colour, as a focused edit field is, however the focus came.
void HScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    if (thumb.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));
    painter.drawRect(thumb.adjusted(1, 1, -2, -2));
}

} // namespace toolkit
