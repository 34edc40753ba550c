#pragma once

#include <QProxyStyle>

namespace toolkit {

// The application's style: Fusion, with frames drawn as the classic desktop draws them. A
// frame's caption sits on its top border, which runs at half the caption's height and breaks
// for the caption; Fusion would put the border below the caption, through the first row of
// controls that the window's layout places there.
class ClassicStyle : public QProxyStyle
{
    Q_OBJECT
public:
    ClassicStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl subControl, const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
};

} // namespace toolkit
