#include "toolkit/label.h"

#include "fonts/fonts.h"
#include "toolkit/accessibility.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace toolkit {

using fonts::resolvedFace;

Label::Label(const QString &caption, QWidget *parent)
    : QWidget(parent), m_caption(caption), m_foreColor(palette().color(QPalette::WindowText))
{
    m_font = font();
    m_fontName = m_font.family();
    m_fontSize = m_font.pointSizeF();
    installAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void Label::setCaption(const QString &caption)
{
    m_caption = caption;
    fontChanged();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void Label::setAutoSize(bool on)
{
    m_autoSize = on;
    fontChanged();
}

void Label::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

bool Label::setFontName(const QString &name)
{
    const std::optional<fonts::Face> face = resolvedFace(name);
    if (!face)
        return false;
    m_fontName = name;
    m_font.setFamilies({face->family});
    // A face named as a family of its own is picked by its style; bold and italic are then
    // made from that face, as for any family with a single face.
    m_font.setStyleName(face->styleName);
    m_ownFont = true;
    fontChanged();
    return true;
}

bool Label::setFontSize(double points)
{
    if (!(points > 0) || !std::isfinite(points))
        return false;
    m_fontSize = points;
    m_font.setPointSizeF(points);
    m_ownFont = true;
    fontChanged();
    return true;
}

void Label::setFontBold(bool on)
{
    m_font.setBold(on);
    m_ownFont = true;
    fontChanged();
}

void Label::setFontItalic(bool on)
{
    m_font.setItalic(on);
    m_ownFont = true;
    fontChanged();
}

void Label::setFontUnderline(bool on)
{
    m_font.setUnderline(on);
    m_ownFont = true;
    fontChanged();
}

void Label::setFontStrikethrough(bool on)
{
    m_font.setStrikeOut(on);
    m_ownFont = true;
    fontChanged();
}

void Label::setForeColor(const QColor &colour)
{
    m_foreColor = colour;
    update();
}

QSize Label::captionSize() const
{
    const QFontMetrics metrics(m_font, const_cast<Label *>(this));
    return {metrics.horizontalAdvance(m_caption), metrics.height()};
}

QSize Label::sizeHint() const
{
    return captionSize();
}

void Label::fontChanged()
{
    if (m_autoSize)
        resize(captionSize());
    update();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(m_font);
    painter.setPen(m_foreColor);
    painter.drawText(rect(), static_cast<int>(m_alignment) | Qt::TextSingleLine, m_caption);
}

// A label without a font of its own follows the font of its window.
void Label::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && !m_ownFont) {
        m_font = font();
        m_fontName = m_font.family();
        m_fontSize = m_font.pointSizeF();
        fontChanged();
    }
    QWidget::changeEvent(event);
}

} // namespace toolkit
