#include "support/test_data.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdlib>

namespace {

QRgb drawnOver(QRgb pixel, const QColor &behind)
{
    if (behind.alpha() == 0)
        return qAlpha(pixel) == 0 ? 0 : pixel;
    const int alpha = qAlpha(pixel);
    const auto mix = [alpha](int over, int under) {
        return (over * alpha + under * (255 - alpha) + 127) / 255;
    };
    return qRgb(mix(qRed(pixel), behind.red()), mix(qGreen(pixel), behind.green()),
                mix(qBlue(pixel), behind.blue()));
}

// Not a PNG of what a picture shows, a metafile's description, a table of expectations or the
// README.
bool isPictureFile(const QString &relative)
{
    return !relative.endsWith(QStringLiteral(".png")) &&
           !relative.endsWith(QStringLiteral(".json")) &&
           !relative.endsWith(QStringLiteral(".fixture")) &&
           !relative.endsWith(QStringLiteral("README"));
}

} // namespace

QString testDataPath(const QString &relative)
{
    return QStringLiteral(TYPORAMA_TEST_DATA "/") + relative;
}

QByteArray testData(const QString &relative)
{
    QFile file(testDataPath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList testPictures(const QStringList &formats)
{
    const QDir root(testDataPath(QString()));
    QStringList found;
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        const QString format = relative.section(u'/', 0, 0);
        if (isPictureFile(relative) && (formats.isEmpty() || formats.contains(format)))
            found << relative;
    }
    found.sort();
    return found;
}

bool meantToBeRefused(const QString &relative)
{
    static const QStringList marks{QStringLiteral("refused"), QStringLiteral("damaged"),
                                   QStringLiteral("too-large"), QStringLiteral("unsupported")};
    return marks.contains(relative.section(u'.', -2, -2));
}

picture::PictureError refusalReason(const QString &relative)
{
    const QString mark = relative.section(u'.', -2, -2);
    if (mark == QStringLiteral("damaged"))
        return picture::PictureError::Truncated;
    if (mark == QStringLiteral("too-large"))
        return picture::PictureError::TooLarge;
    if (mark == QStringLiteral("unsupported"))
        return picture::PictureError::Unsupported;
    return picture::PictureError::None;
}

QImage expectedPicture(const QString &relative)
{
    return QImage(testDataPath(relative.section(u'.', 0, -2) + QStringLiteral(".png")));
}

QString pictureMismatch(const QImage &shown, const QImage &expected, const QColor &behind,
                        int tolerance)
{
    const QImage got = shown.convertToFormat(QImage::Format_ARGB32);
    const QImage want = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < want.height(); ++y) {
        for (int x = 0; x < want.width(); ++x) {
            const QRgb a = got.valid(x, y) ? got.pixel(x, y) : 0;
            const QRgb b = drawnOver(want.pixel(x, y), behind);
            const QRgb seen = behind.alpha() ? a : (qAlpha(a) == 0 ? 0 : a);
            const auto near = [tolerance](int p, int q) { return std::abs(p - q) <= tolerance; };
            if (!got.valid(x, y) || !near(qRed(seen), qRed(b)) || !near(qGreen(seen), qGreen(b)) ||
                !near(qBlue(seen), qBlue(b)) || !near(qAlpha(seen), qAlpha(b)))
                return QStringLiteral("pixel %1,%2 is %3, not %4")
                    .arg(x)
                    .arg(y)
                    .arg(QColor::fromRgba(seen).name(QColor::HexArgb),
                         QColor::fromRgba(b).name(QColor::HexArgb));
        }
    }
    return QString();
}
