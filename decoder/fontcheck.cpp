#include "fontcheck.h"

#include "fonts/familyreply.h"
#include "fonts/fonterror.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cstdio>

using fonts::FontError;

namespace {

// Latin, hiragana and katakana with their small forms, and kanji: the text the window shows.
const QString sampleText = QStringLiteral("Aaあぁアァ亜宇");

// Whether the bytes begin as an OpenType or TrueType font, a collection of them, or a WOFF
// file does: bytes that do and still give no face are a font cut short or damaged, not some
// other kind of file.
bool looksLikeFont(const QByteArray &data)
{
    static const char *const tags[] = {"\0\1\0\0", "OTTO", "true", "typ1", "ttcf", "wOFF", "wOF2"};
    return std::any_of(std::begin(tags), std::end(tags), [&data](const char *tag) {
        return data.startsWith(QByteArrayView(tag, 4));
    });
}

// Text in the family at small, medium and large sizes, upright, bold and italic: each size and
// style is a glyph load and a rasterisation of its own.
void drawSamples(const QString &family)
{
    for (const int pixels : {12, 36, 96}) {
        QImage canvas(pixels * 10, pixels * 2, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        for (const bool bold : {false, true}) {
            for (const bool italic : {false, true}) {
                if (bold && italic)
                    continue;
                QFont font(family);
                font.setPixelSize(pixels);
                font.setBold(bold);
                font.setItalic(italic);
                painter.setFont(font);
                painter.drawText(0, pixels * 3 / 2, sampleText);
            }
        }
    }
}

} // namespace

int checkFont(const QByteArray &data)
{
    if (data.isEmpty())
        return fonts::checkerExitCode(FontError::Empty);
    const int id = QFontDatabase::addApplicationFontFromData(data);
    // Qt names no family both where FreeType refuses the bytes and where not one face of them
    // opens; which of the two the user is told goes by what the bytes begin with.
    const FontError refused = looksLikeFont(data) ? FontError::NoUsableFace : FontError::NotAFont;
    if (id < 0)
        return fonts::checkerExitCode(refused);
    QStringList families = QFontDatabase::applicationFontFamilies(id);
    families.removeDuplicates();
    if (families.isEmpty())
        return fonts::checkerExitCode(FontError::NoUsableFace);
    // The window registers the same bytes and offers every family Qt names in them, so a family
    // left out of the reply would be one no one drew in before the window does.
    if (families.size() > fonts::maxFamilies ||
        !std::all_of(families.cbegin(), families.cend(), fonts::isSendableFamily))
        return fonts::checkerExitCode(FontError::UncheckedFace);
    for (const QString &family : families)
        drawSamples(family);
    const QByteArray reply = fonts::familyReply(families);
    const bool sent =
        std::fwrite(reply.constData(), 1, size_t(reply.size()), stdout) == size_t(reply.size()) &&
        std::fflush(stdout) == 0;
    return sent ? 0 : 1;
}
