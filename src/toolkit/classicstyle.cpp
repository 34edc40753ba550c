#include "toolkit/classicstyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

namespace toolkit {
namespace {

// Where the caption starts on the border, and the gap the border leaves on either side of it.
constexpr int captionIndent = 6;
constexpr int captionGap = 2;

// The plain frames of the window; a checkable frame keeps Fusion's own look.
const QStyleOptionGroupBox *plainFrame(QStyle::ComplexControl control,
                                       const QStyleOptionComplex *option)
{
    if (control != QStyle::CC_GroupBox)
        return nullptr;
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (!box || (box->subControls & QStyle::SC_GroupBoxCheckBox))
        return nullptr;
    return box;
}

int captionHeight(const QStyleOptionGroupBox *box)
{
    return box->text.isEmpty() ? 0 : box->fontMetrics.height();
}

} // namespace

// Fusion by name, so the window looks the same on every desktop: its layout is fixed in
// twips and Fusion's controls fit it.
ClassicStyle::ClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QRect ClassicStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                   SubControl subControl, const QWidget *widget) const
{
    const QStyleOptionGroupBox *box = plainFrame(control, option);
    if (!box)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const int caption = captionHeight(box);
    switch (subControl) {
    case SC_GroupBoxLabel: {
        if (box->text.isEmpty())
            return {};
        const int width =
            box->fontMetrics.size(Qt::TextShowMnemonic, box->text).width() + 2 * captionGap;
        const QRect label(box->rect.left() + captionIndent, box->rect.top(), width, caption);
        return visualRect(box->direction, box->rect, label);
    }
    case SC_GroupBoxFrame:
        return box->rect.adjusted(0, caption / 2, 0, 0);
    case SC_GroupBoxContents:
        return box->rect.adjusted(2, qMax(caption, 2), -2, -2);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void ClassicStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                      QPainter *painter, const QWidget *widget) const
{
    const QStyleOptionGroupBox *box = plainFrame(control, option);
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect label = subControlRect(control, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        QStyleOptionFrame frame;
        frame.QStyleOption::operator=(*box);
        frame.features = box->features;
        frame.lineWidth = box->lineWidth;
        frame.midLineWidth = box->midLineWidth;
        frame.rect = subControlRect(control, box, SC_GroupBoxFrame, widget);
        painter->save();
        painter->setClipRegion(QRegion(box->rect).subtracted(label));
        drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
        painter->restore();
    }
    if ((box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty()) {
        int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!styleHint(SH_UnderlineShortcut, box, widget))
            alignment |= Qt::TextHideMnemonic;
        drawItemText(painter, label, alignment, box->palette, box->state & State_Enabled, box->text,
                     QPalette::WindowText);
    }
}

// The etched line of a classic frame: a shadow line with a light line below and right of it.
void ClassicStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                 QPainter *painter, const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    if (element == PE_FrameGroupBox && frame && !(frame->features & QStyleOptionFrame::Flat)) {
        qDrawShadeRect(painter, frame->rect, frame->palette, true, 1, 0);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace toolkit
