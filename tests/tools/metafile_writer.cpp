// Writes the EMF and WMF fixtures of tests/data from their plain-text descriptions: the
// metafile, and the PNG of the picture it must show, painted from the description's
// expectations alone. tests/data/README describes the description format.
//
// metafile_writer [--check] DESCRIPTION.fixture...
//   Writes NAME.emf or NAME.wmf, and NAME.png unless the name says the file is refused,
//   beside each description; with --check, writes nothing and fails where a committed file
//   differs from what the description makes.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

// The description being read, named in the message of the first fault found.
QString currentPath;

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(currentPath), qPrintable(message));
    std::exit(1);
}

// Record names and numbers, as the player's own enumerations give them.
QHash<QString, quint32> recordNumbers(const QString &enumName)
{
    QFile file(QStringLiteral(TYPORAMA_RECORDS_HEADER));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + file.fileName());
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype from = text.indexOf(QStringLiteral("enum class ") + enumName);
    const QString body = text.mid(from, text.indexOf(u'}', from) - from);
    QHash<QString, quint32> numbers;
    static const QRegularExpression entry(QStringLiteral("(\\w+) = (0x[0-9A-Fa-f]+|\\d+),"));
    for (const QRegularExpressionMatch &m : entry.globalMatch(body))
        numbers.insert(m.captured(1), m.captured(2).toUInt(nullptr, 0));
    return numbers;
}

QList<QString> tokenize(const QString &line)
{
    QList<QString> tokens;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        // Spaces inside quotes and parentheses belong to the field.
        bool quoted = false;
        int depth = 0;
        while (end < line.size() && (quoted || depth > 0 || !line[end].isSpace())) {
            if (line[end] == u'\\' && quoted)
                ++end;
            else if (line[end] == u'"')
                quoted = !quoted;
            else if (!quoted)
                depth += line[end] == u'(' ? 1 : line[end] == u')' ? -1 : 0;
            ++end;
        }
        QString token = line.mid(i, end - i);
        if (!token.contains(u'"'))
            token.remove(QRegularExpression(QStringLiteral("\\s")));
        // Brackets that close spans may follow a field directly, a quoted one too.
        int closing = 0;
        while (token.size() > 1 && token.endsWith(u']') &&
               token.lastIndexOf(u'"') < token.size() - 1) {
            token.chop(1);
            ++closing;
        }
        tokens << token;
        while (closing--)
            tokens << QStringLiteral("]");
        i = end;
    }
    return tokens;
}

QRgb parseColour(const QString &token)
{
    bool ok = false;
    const uint value = token.mid(1).toUInt(&ok, 16);
    if (!token.startsWith(u'#') || !ok || (token.size() != 7 && token.size() != 9))
        fail(QStringLiteral("not a colour: ") + token);
    return token.size() == 7 ? (0xff000000u | value) : value;
}

// Decimal, or hexadecimal after 0x; never octal, so that 010 is ten.
qint64 parseInt(const QString &token)
{
    bool ok = false;
    const bool hex =
        token.startsWith(QStringLiteral("0x")) || token.startsWith(QStringLiteral("-0x"));
    const qint64 value = token.toLongLong(&ok, hex ? 16 : 10);
    if (!ok)
        fail(QStringLiteral("not a number: ") + token);
    return value;
}

QList<qint64> parseInts(const QString &list)
{
    QList<qint64> values;
    for (const QString &part : list.split(u','))
        values << parseInt(part.trimmed());
    return values;
}

QString unescape(const QString &quoted)
{
    QString out;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] != u'\\') {
            out += quoted[i];
        } else if (quoted[i + 1] == u'x') {
            out += QChar(quoted.mid(i + 2, 2).toUShort(nullptr, 16));
            i += 3;
        } else {
            out += quoted[++i];
        }
    }
    return out;
}

struct Dib
{
    QByteArray info;
    QByteArray bits;
    // As its own colours show it, for expectations; transparent for DIB_PAL_COLORS indexes.
    QImage image;
};

// dib NAME BPP [topdown] [PALETTE...] | ROW | ROW ...
Dib makeDib(const QList<QString> &t)
{
    const int bpp = static_cast<int>(parseInt(t.value(2)));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        fail(QStringLiteral("a DIB has 1, 4, 8, 24 or 32 bits a pixel"));
    qsizetype i = 3;
    const bool topDown = t.value(i) == QStringLiteral("topdown");
    i += topDown;
    QByteArray palette;
    QList<QRgb> colours;
    int paletteSize = 0;
    for (; i < t.size() && t[i] != QStringLiteral("|"); ++i, ++paletteSize) {
        if (t[i].startsWith(u'#')) {
            const QRgb c = parseColour(t[i]);
            palette += char(qBlue(c)), palette += char(qGreen(c)), palette += char(qRed(c));
            palette += '\0';
            colours << c;
        } else {
            colours << 0;
            // DIB_PAL_COLORS: 16-bit indexes into the logical palette.
            const quint16 index = static_cast<quint16>(parseInt(t[i]));
            palette += char(index & 0xff), palette += char(index >> 8);
        }
    }
    QList<QByteArray> rows;
    QList<QList<QRgb>> shown;
    int width = -1;
    while (i < t.size() && t[i] == QStringLiteral("|")) {
        QByteArray row;
        QList<QRgb> &seen = shown.emplace_back();
        int pixels = 0, bitsUsed = 0;
        for (++i; i < t.size() && t[i] != QStringLiteral("|"); ++i) {
            if (bpp >= 24) {
                const QRgb c = parseColour(t[i]);
                row += char(qBlue(c)), row += char(qGreen(c)), row += char(qRed(c));
                if (bpp == 32)
                    row += char(qAlpha(c));
                seen << (bpp == 32 ? c : (c | 0xff000000u));
                ++pixels;
                continue;
            }
            const int digits = bpp == 8 ? 2 : 1;
            for (qsizetype d = 0; d + digits <= t[i].size(); d += digits, ++pixels) {
                bool ok = false;
                const uint index = t[i].mid(d, digits).toUInt(&ok, 16);
                if (!ok || index >= (1u << bpp))
                    fail(QStringLiteral("not a pixel of the DIB: ") + t[i]);
                if (bitsUsed % 8 == 0)
                    row += '\0';
                row[row.size() - 1] = char(row.back() | (index << (8 - bpp - bitsUsed % 8)));
                bitsUsed += bpp;
                seen << colours.value(index);
            }
        }
        if (width >= 0 && pixels != width)
            fail(QStringLiteral("the DIB's rows differ in length"));
        width = pixels;
        while (row.size() % 4)
            row += '\0';
        rows << row;
    }
    if (rows.isEmpty() || width <= 0)
        fail(QStringLiteral("a DIB needs pixel rows"));
    Dib dib;
    dib.image = QImage(width, rows.size(), QImage::Format_ARGB32);
    for (int y = 0; y < dib.image.height(); ++y)
        for (int x = 0; x < width; ++x)
            dib.image.setPixel(x, y, shown[y][x]);
    for (qsizetype r = 0; r < rows.size(); ++r)
        dib.bits += rows[topDown ? r : rows.size() - 1 - r];
    const auto put = [&dib](quint32 value, int bytes) {
        for (int b = 0; b < bytes; ++b)
            dib.info += char((value >> (8 * b)) & 0xff);
    };
    const quint32 height = static_cast<quint32>(rows.size());
    put(40, 4), put(width, 4), put(topDown ? -height : height, 4), put(1, 2), put(bpp, 2);
    put(0, 4), put(dib.bits.size(), 4), put(3780, 4), put(3780, 4), put(paletteSize, 4);
    put(0, 4);
    dib.info += palette;
    return dib;
}

// One record's bytes, from its header on, with the labelled spans that offset and size
// fields name filled in once the record is complete.
class RecordBuilder
{
public:
    RecordBuilder(bool emf, const QHash<QString, Dib> &dibs) : m_emf(emf), m_dibs(dibs)
    {
        m_bytes = QByteArray(emf ? 8 : 6, '\0');
    }

    void field(const QString &token)
    {
        static const QRegularExpression sized(QStringLiteral("^(.*):(8|16|32)$"));
        static const QRegularExpression call(QStringLiteral("^(\\w+)\\((.*)\\)$"));
        QString value = token;
        int width = m_emf ? 32 : 16;
        if (const auto m = sized.match(token);
            m.hasMatch() && !token.startsWith(u'"') && !token.startsWith(QStringLiteral("u\""))) {
            value = m.captured(1);
            width = m.captured(2).toInt();
        }
        if (value.startsWith(u'[')) {
            m_open << qMakePair(value.mid(1), m_bytes.size());
        } else if (value == QStringLiteral("]")) {
            if (m_open.isEmpty())
                fail(QStringLiteral("']' closes no span"));
            const auto [name, start] = m_open.takeLast();
            m_spans.insert(name, qMakePair(start, m_bytes.size()));
        } else if (value.startsWith(u'#')) {
            const QRgb c = parseColour(value);
            put(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16, 32);
        } else if (value.startsWith(u'"')) {
            m_bytes += unescape(value).toLatin1();
        } else if (value.startsWith(QStringLiteral("u\""))) {
            for (const QChar c : unescape(value.mid(1)))
                put(c.unicode(), 16);
        } else if (value.startsWith(u'(') && value.endsWith(u')')) {
            for (const qint64 v : parseInts(value.mid(1, value.size() - 2)))
                put(v, width);
        } else if (const auto m = call.match(value); m.hasMatch()) {
            function(m.captured(1), m.captured(2), width);
        } else if (value.contains(u'.')) {
            bool ok = false;
            const float f = value.toFloat(&ok);
            if (!ok)
                fail(QStringLiteral("not a number: ") + value);
            quint32 raw = 0;
            std::memcpy(&raw, &f, 4);
            put(raw, 32);
        } else {
            put(parseInt(value), width);
        }
    }

    QByteArray finish(quint32 type)
    {
        if (!m_open.isEmpty())
            fail(QStringLiteral("span not closed: ") + m_open.last().first);
        while (m_bytes.size() % (m_emf ? 4 : 2))
            m_bytes += '\0';
        for (const Fixup &f : m_fixups) {
            if (!m_spans.contains(f.span))
                fail(QStringLiteral("no span named ") + f.span);
            const auto [start, end] = m_spans.value(f.span);
            write(f.at, f.offset ? start : end - start, f.width);
        }
        if (m_emf) {
            write(0, type, 32);
            write(4, m_bytes.size(), 32);
        } else {
            write(0, m_bytes.size() / 2, 32);
            write(4, type, 16);
        }
        return m_bytes;
    }

private:
    struct Fixup
    {
        qsizetype at;
        int width;
        QString span;
        bool offset;
    };

    void put(qint64 value, int width)
    {
        m_bytes += QByteArray(width / 8, '\0');
        write(m_bytes.size() - width / 8, value, width);
    }
    void write(qsizetype at, qint64 value, int width)
    {
        for (int b = 0; b < width / 8; ++b)
            m_bytes[at + b] = char((value >> (8 * b)) & 0xff);
    }

    const Dib &dib(const QString &name) const
    {
        if (!m_dibs.contains(name))
            fail(QStringLiteral("no DIB named ") + name);
        return *m_dibs.find(name);
    }

    void function(const QString &name, const QString &argument, int width)
    {
        if (name == QStringLiteral("off") || name == QStringLiteral("size")) {
            m_fixups << Fixup{m_bytes.size(), width, argument, name == QStringLiteral("off")};
            put(0, width);
        } else if (name == QStringLiteral("bmi")) {
            m_bytes += dib(argument).info;
        } else if (name == QStringLiteral("bits")) {
            m_bytes += dib(argument).bits;
        } else if (name == QStringLiteral("dib")) {
            m_bytes += dib(argument).info + dib(argument).bits;
        } else if (name == QStringLiteral("zeros")) {
            m_bytes += QByteArray(parseInt(argument), '\0');
        } else if (name == QStringLiteral("rgn")) {
            region(parseInts(argument));
        } else {
            fail(QStringLiteral("unknown field ") + name);
        }
    }

    // In EMF a RGNDATA: its header with the count and bounds, then the rectangles. In WMF a
    // Region object: its header, then a scan for each band of rectangles sharing their top
    // and bottom, with their left and right sides.
    void region(const QList<qint64> &v)
    {
        if (v.isEmpty() || v.size() % 4)
            fail(QStringLiteral("a region is rectangles of four numbers"));
        QRect bound;
        std::map<std::pair<qint64, qint64>, std::vector<std::pair<qint64, qint64>>> bands;
        for (qsizetype i = 0; i < v.size(); i += 4) {
            bound |= QRect(QPoint(v[i], v[i + 1]), QPoint(v[i + 2] - 1, v[i + 3] - 1));
            bands[{v[i + 1], v[i + 3]}].emplace_back(v[i], v[i + 2]);
        }
        if (m_emf) {
            put(32, 32), put(1, 32), put(v.size() / 4, 32), put(v.size() * 4, 32);
            put(bound.left(), 32), put(bound.top(), 32);
            put(bound.right() + 1, 32), put(bound.bottom() + 1, 32);
            for (const qint64 value : v)
                put(value, 32);
            return;
        }
        qsizetype widest = 0;
        for (auto &[band, sides] : bands) {
            std::sort(sides.begin(), sides.end());
            widest = std::max<qsizetype>(widest, sides.size() * 2);
        }
        put(0, 16), put(6, 16), put(0, 32);
        put(22 + v.size() / 4 * 4 + bands.size() * 8, 16), put(bands.size(), 16), put(widest, 16);
        put(bound.left(), 16), put(bound.top(), 16);
        put(bound.right() + 1, 16), put(bound.bottom() + 1, 16);
        for (const auto &[band, sides] : bands) {
            put(sides.size() * 2, 16), put(band.first, 16), put(band.second, 16);
            for (const auto &[left, right] : sides)
                put(left, 16), put(right, 16);
            put(sides.size() * 2, 16);
        }
    }

    bool m_emf;
    const QHash<QString, Dib> &m_dibs;
    QByteArray m_bytes;
    QList<QPair<QString, qsizetype>> m_open;
    QHash<QString, QPair<qsizetype, qsizetype>> m_spans;
    QList<Fixup> m_fixups;
};

void putLe(QByteArray &out, qint64 value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out += char((value >> (8 * b)) & 0xff);
}

// What a description makes: the metafile and the expected picture.
struct Fixture
{
    QByteArray metafile;
    QImage picture;
};

Fixture make(const QString &text)
{
    static const QHash<QString, quint32> emfRecords = recordNumbers(QStringLiteral("EmfRecord"));
    static const QHash<QString, quint32> wmfRecords = recordNumbers(QStringLiteral("WmfRecord"));
    QList<QList<QString>> lines;
    // A comment runs from a lone '#' to the end of the line (colours have no space after it);
    // a line ending in a backslash goes on, without it, at the next line's first field.
    static const QRegularExpression comment(QStringLiteral("(^|\\s)#(\\s.*)?$"));
    QString joined;
    for (QString line : text.split(u'\n')) {
        line.remove(comment);
        if (line.trimmed().endsWith(u'\\')) {
            joined += line.trimmed().chopped(1);
            continue;
        }
        const QList<QString> tokens = tokenize(joined + line.trimmed());
        joined.clear();
        if (!tokens.isEmpty())
            lines << tokens;
    }
    if (lines.isEmpty())
        fail(QStringLiteral("empty description"));
    const QList<QString> head = lines.takeFirst();
    const bool emf = head[0] == QStringLiteral("emf");
    const QStringList size = head.value(1).split(u'x');
    const int width = static_cast<int>(parseInt(size.value(0)));
    const int height = static_cast<int>(parseInt(size.value(1)));
    const bool placeable = head.value(2) == QStringLiteral("placeable");
    if ((!emf && head[0] != QStringLiteral("wmf")) || width <= 0 || height <= 0 ||
        (!emf && !placeable && head.value(2) != QStringLiteral("plain")))
        fail(QStringLiteral("the first line is emf WxH, or wmf WxH placeable or plain"));
    // The frame is in hundredths of a millimetre: whole only for multiples of 24 pixels.
    if (emf && (width % 24 || height % 24))
        fail(QStringLiteral("an EMF picture's sides are multiples of 24 pixels"));

    Fixture fixture;
    fixture.picture = QImage(width, height, QImage::Format_ARGB32);
    fixture.picture.fill(Qt::transparent);
    QPainter painter(&fixture.picture);
    // Later expectations replace what earlier ones painted.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QHash<QString, Dib> dibs;
    QByteArray records;
    int count = 0, objects = 0;
    qint64 longest = 0;
    for (const QList<QString> &t : std::as_const(lines)) {
        if (t[0] == QStringLiteral("dib")) {
            dibs.insert(t.value(1), makeDib(t));
            continue;
        }
        if (t[0] == QStringLiteral("expect")) {
            const QString shape = t.value(1);
            const auto n = [&t](int i) { return static_cast<int>(parseInt(t.value(i))); };
            if (shape == QStringLiteral("rect")) {
                painter.fillRect(n(2), n(3), n(4), n(5), QColor::fromRgba(parseColour(t.value(6))));
            } else if (shape == QStringLiteral("image") || shape == QStringLiteral("pattern")) {
                // A bitmap stretched over the rectangle, or laid as tiles from the origin.
                const QImage &image = dibs.value(t.value(6)).image;
                if (image.isNull())
                    fail(QStringLiteral("no DIB named ") + t.value(6));
                const QRect area(n(2), n(3), n(4), n(5));
                if (shape == QStringLiteral("image"))
                    painter.drawImage(area, image);
                else
                    painter.fillRect(area, QBrush(image));
            } else if (shape == QStringLiteral("pixel")) {
                painter.fillRect(n(2), n(3), 1, 1, QColor::fromRgba(parseColour(t.value(4))));
            } else {
                fail(QStringLiteral("unknown expectation ") + shape);
            }
            continue;
        }
        const QHash<QString, quint32> &numbers = emf ? emfRecords : wmfRecords;
        bool numeric = false;
        const quint32 type = t[0].toUInt(&numeric, 0);
        if (!numeric && !numbers.contains(t[0]))
            fail(QStringLiteral("unknown record ") + t[0]);
        RecordBuilder record(emf, dibs);
        for (qsizetype i = 1; i < t.size(); ++i)
            record.field(t[i]);
        const QByteArray bytes = record.finish(numeric ? type : numbers.value(t[0]));
        records += bytes;
        ++count;
        longest = std::max<qint64>(longest, bytes.size() / 2);
        objects += t[0].startsWith(QStringLiteral("Create")) ||
                   t[0] == QStringLiteral("DibCreatePatternBrush");
    }
    painter.end();

    QByteArray &out = fixture.metafile;
    if (emf) {
        // A reference device of 96 pixels an inch: 960 pixels over 254 millimetres.
        const qint64 frameWidth = width * 2540 / 96, frameHeight = height * 2540 / 96;
        const qint64 total = 88 + records.size() + 20;
        putLe(out, 1, 4), putLe(out, 88, 4);
        putLe(out, 0, 4), putLe(out, 0, 4), putLe(out, width - 1, 4), putLe(out, height - 1, 4);
        putLe(out, 0, 4), putLe(out, 0, 4), putLe(out, frameWidth, 4), putLe(out, frameHeight, 4);
        putLe(out, 0x464D4520, 4), putLe(out, 0x10000, 4), putLe(out, total, 4);
        putLe(out, count + 2, 4), putLe(out, objects + 1, 2), putLe(out, 0, 2);
        putLe(out, 0, 4), putLe(out, 0, 4), putLe(out, 0, 4);
        putLe(out, 960, 4), putLe(out, 960, 4), putLe(out, 254, 4), putLe(out, 254, 4);
        out += records;
        putLe(out, 14, 4), putLe(out, 20, 4), putLe(out, 0, 4), putLe(out, 16, 4);
        putLe(out, 20, 4);
        return fixture;
    }
    if (placeable) {
        // Bounds in units of 96 an inch, so that one unit is one pixel of the picture.
        QByteArray header;
        putLe(header, 0x9AC6CDD7, 4), putLe(header, 0, 2);
        putLe(header, 0, 2), putLe(header, 0, 2), putLe(header, width, 2);
        putLe(header, height, 2), putLe(header, 96, 2), putLe(header, 0, 4);
        quint16 checksum = 0;
        for (qsizetype i = 0; i < header.size(); i += 2)
            checksum ^= qFromLittleEndian<quint16>(header.constData() + i);
        putLe(header, checksum, 2);
        out += header;
    }
    const qint64 words = 9 + records.size() / 2 + 3;
    putLe(out, 1, 2), putLe(out, 9, 2), putLe(out, 0x0300, 2), putLe(out, words, 4);
    putLe(out, objects, 2), putLe(out, std::max<qint64>(longest, 3), 4), putLe(out, 0, 2);
    out += records;
    putLe(out, 3, 4), putLe(out, 0, 2);
    return fixture;
}

bool samePicture(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList paths = application.arguments().mid(1);
    const bool check = !paths.isEmpty() && paths.first() == QStringLiteral("--check");
    if (check)
        paths.removeFirst();
    if (paths.isEmpty()) {
        std::fprintf(stderr, "usage: metafile_writer [--check] DESCRIPTION.fixture...\n");
        return 2;
    }
    for (const QString &path : std::as_const(paths)) {
        currentPath = path;
        const QFileInfo info(path);
        const QString base = info.path() + u'/' + info.completeBaseName();
        const bool refused = base.endsWith(QStringLiteral(".refused"));
        QFile description(path);
        if (!description.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read it"));
        const QString text = QString::fromUtf8(description.readAll());
        const Fixture fixture = make(text);
        const QString metafilePath =
            base + (text.trimmed().startsWith(QStringLiteral("emf")) ? QStringLiteral(".emf")
                                                                     : QStringLiteral(".wmf"));
        QFile metafile(metafilePath);
        const QString picturePath = base + QStringLiteral(".png");
        if (check) {
            if (!metafile.open(QIODevice::ReadOnly) || metafile.readAll() != fixture.metafile)
                fail(metafilePath + QStringLiteral(" is not what the description makes"));
            if (!refused && !samePicture(QImage(picturePath), fixture.picture))
                fail(picturePath + QStringLiteral(" is not what the description expects"));
            continue;
        }
        if (!metafile.open(QIODevice::WriteOnly) ||
            metafile.write(fixture.metafile) != fixture.metafile.size() ||
            (!refused && !fixture.picture.save(picturePath)))
            fail(QStringLiteral("cannot write its files"));
    }
    return 0;
}
