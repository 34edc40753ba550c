#include "toolkit/scrollbar.h"

#include <QKeyEvent>

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

} // namespace toolkit
