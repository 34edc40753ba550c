#include "toolkit/scrollbar.h"

namespace toolkit {

HScrollBar::HScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (!isSliderDown())
            emit change();
    });
    connect(this, &QScrollBar::sliderMoved, this, &HScrollBar::scroll);
    connect(this, &QScrollBar::sliderReleased, this, &HScrollBar::change);
}

} // namespace toolkit
