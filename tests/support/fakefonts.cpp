#include "support/fakefonts.h"

#include "support/test_fonts.h"

#include <QDir>
#include <QFile>
#include <QRawFont>

#include <fontconfig/fontconfig.h>

FakeFonts::FakeFonts(QStringList names, QSet<int> unreadable)
    : m_names(std::move(names)), m_unreadable(std::move(unreadable))
{
}

int FakeFonts::fontCount() const
{
    return static_cast<int>(m_names.size());
}

std::optional<QString> FakeFonts::font(int index) const
{
    ++m_reads;
    if (index < 0 || index >= m_names.size() || m_unreadable.contains(index))
        return std::nullopt;
    return m_names.at(index);
}

namespace {

void putBig(QByteArray &data, qsizetype at, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data[at + i] = char(value >> (8 * (bytes - 1 - i)));
}

quint32 getBig(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(data[at + i]);
    return value;
}

// A name table of Windows Unicode records, in the order of their name ids.
QByteArray nameTable(const QList<std::pair<int, QString>> &names)
{
    QByteArray records, strings;
    for (const auto &[id, text] : names) {
        QByteArray utf16;
        for (const QChar c : text)
            utf16 += char(c.unicode() >> 8), utf16 += char(c.unicode() & 0xff);
        QByteArray record(12, '\0');
        putBig(record, 0, 3, 2);
        putBig(record, 2, 1, 2);
        putBig(record, 4, 0x409, 2);
        putBig(record, 6, quint32(id), 2);
        putBig(record, 8, quint32(utf16.size()), 2);
        putBig(record, 10, quint32(strings.size()), 2);
        records += record;
        strings += utf16;
    }
    QByteArray table(6, '\0');
    putBig(table, 2, quint32(names.size()), 2);
    putBig(table, 4, quint32(6 + records.size()), 2);
    return table + records + strings;
}

// The template with a new name table appended and pointed at, and its weight class changed.
QByteArray renamed(QByteArray data, const FixtureFace &face)
{
    QList<std::pair<int, QString>> names = {{1, face.family},
                                            {2, face.style},
                                            {4, face.family + u' ' + face.style},
                                            {6, face.postScriptName}};
    if (!face.typographicFamily.isEmpty())
        names << std::pair{16, face.typographicFamily} << std::pair{17, face.style};
    const QByteArray name = nameTable(names);
    data.append(QByteArray(-data.size() & 3, '\0'));
    const qsizetype nameOffset = data.size();
    data += name;
    // Checksums are left as they were: neither fontconfig nor FreeType checks them.
    for (int i = 0; i < int(getBig(data, 4, 2)); ++i) {
        const qsizetype entry = 12 + 16 * i;
        if (data.mid(entry, 4) == "name") {
            putBig(data, entry + 8, quint32(nameOffset), 4);
            putBig(data, entry + 12, quint32(name.size()), 4);
        } else if (data.mid(entry, 4) == "OS/2") {
            putBig(data, getBig(data, entry + 8, 4) + 4, quint32(face.weight), 2);
        }
    }
    return data;
}

QString templateFile()
{
    // A configuration of its own, so that the one the program will load stays unread.
    FcConfig *config = FcInitLoadConfigAndFonts();
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("DejaVu Sans:style=Book"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    QString path;
    if (FcPattern *match = FcFontMatch(config, pattern, &result)) {
        FcChar8 *file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            path = QString::fromUtf8(reinterpret_cast<const char *>(file));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

} // namespace

bool installFixtureFonts(const QString &folder, const QList<FixtureFace> &faces)
{
    QFile source(templateFile());
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray base = source.readAll();
    QDir(folder).mkpath(QStringLiteral("fonts"));
    for (const FixtureFace &face : faces) {
        QFile file(folder + QLatin1String("/fonts/") + face.postScriptName + QLatin1String(".ttf"));
        if (!file.open(QIODevice::WriteOnly) || file.write(renamed(base, face)) < 0)
            return false;
    }
    return addFontFolder(folder + QLatin1String("/fonts"));
}

DrawnFace drawnFace(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray name = raw.fontTable("name");
    DrawnFace face{{}, raw.fontTable("head").mid(8, 4)};
    if (name.size() < 6)
        return face;
    const qsizetype count = getBig(name, 2, 2);
    const qsizetype strings = getBig(name, 4, 2);
    for (qsizetype i = 0; i < count && 6 + 12 * (i + 1) <= name.size(); ++i) {
        const qsizetype record = 6 + 12 * i;
        if (getBig(name, record + 6, 2) != 6)
            continue;
        const QByteArray text =
            name.mid(strings + getBig(name, record + 10, 2), getBig(name, record + 8, 2));
        if (getBig(name, record, 2) == 1) {
            face.postScriptName = QString::fromLatin1(text);
        } else {
            for (qsizetype j = 0; j + 1 < text.size(); j += 2)
                face.postScriptName += QChar(char16_t(getBig(text, j, 2)));
        }
        return face;
    }
    return face;
}
