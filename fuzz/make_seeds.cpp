// Writes the seed inputs of the fuzz targets, one folder per target: channel texts and filter
// texts made here, and the tests' committed picture files. Also makes the empty corpus and
// artifact folders the fuzz tests write into.
//
// make_seeds SEEDS CORPUS ARTIFACTS
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QList>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

const QStringList targets = {QStringLiteral("fuzz_channel_text"), QStringLiteral("fuzz_filter"),
                             QStringLiteral("fuzz_picture")};

// Seeds are named by their content, as libFuzzer names the inputs it keeps.
bool writeSeed(const QDir &folder, const QByteArray &data)
{
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
    QFile file(folder.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray doubleBytes(double value)
{
    QByteArray bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

QList<QByteArray> channelTextSeeds()
{
    QList<QByteArray> seeds = {"0",
                               "255",
                               "256",
                               "007",
                               " 1 2 3 ",
                               "\t12\n",
                               "1.5",
                               "-1.5",
                               "+.5",
                               "5.",
                               "1e3",
                               "1E-3",
                               "2.5e+2",
                               "1e",
                               "1e+",
                               "1e400",
                               "1e-400",
                               "1e4000000000000000000000",
                               "32767",
                               "-32768",
                               "32767.5",
                               "-32768.5",
                               "0.000000000000000000001",
                               "ff",
                               "0FF",
                               "Ff7z",
                               "&H10",
                               "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
                               "abc",
                               "-",
                               ".",
                               "e5",
                               "\xef\xbc\x91"};
    seeds += QByteArray(400, '9');
    seeds += "0." + QByteArray(400, '0') + "1";
    for (const double value :
         {0.5, 2.5, 255.5, -0.0, 1e21, 1e-7, 5e-324, 2.2250738585072014e-308,
          std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        seeds += doubleBytes(value);
    return seeds;
}

QList<QByteArray> filterSeeds()
{
    return {
        QStringLiteral("画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;"
                       "*.JPEG;*.ICO;*.WMF;*.EMF|全てのファイル(*.*)|*.*")
            .toUtf8(),
        "Text|*.txt", "a|b|c", "||", "|x|", "Any|*.*", "x|  *.TXT ; ;*.a?c |y|", "a|;;;",
        // Source, search and replacement, apart at the bytes 1.
        "aaa\x01"
        "aa\x01"
        "b",
        "abab\x01"
        "ab\x01",
        "x|y\x01|\x01||",
        "abcabc\x01"
        "bc\x01"
        "xbcx",
        // Pattern and name, apart at a NUL, for the letter case check.
        QByteArray("*.bmp\0file.BMP", 14), QByteArray("a?b*\0AXB", 8)};
}

// The committed picture files of the tests, which cover every format the loader reads.
QList<QByteArray> pictureSeeds()
{
    QList<QByteArray> seeds;
    QDirIterator it(QStringLiteral(TYPORAMA_TEST_DATA), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Neither the PNGs of what they show, the descriptions the metafiles are written from nor
        // the tables of test rows.
        if (path.endsWith(QStringLiteral(".png")) || path.endsWith(QStringLiteral(".fixture")) ||
            path.endsWith(QStringLiteral(".json")) || path.endsWith(QStringLiteral("README")))
            continue;
        QFile file(path);
        seeds += file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    return seeds;
}

bool writeSeeds(const QDir &folder, const QList<QByteArray> &seeds)
{
    for (const QByteArray &seed : seeds) {
        // An empty seed means a generator failed.
        if (seed.isEmpty() || !writeSeed(folder, seed))
            return false;
    }
    return true;
}

// A folder made afresh, so that seeds of an older generator do not linger.
bool freshFolder(const QString &path)
{
    QDir folder(path);
    return folder.removeRecursively() && QDir().mkpath(path);
}

} // namespace

int main(int argc, char *argv[])
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_seeds SEEDS CORPUS ARTIFACTS\n");
        return 2;
    }
    const QString seedRoot = QString::fromLocal8Bit(argv[1]);
    const QString corpusRoot = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(QString::fromLocal8Bit(argv[3])))
        return 1;
    for (const QString &target : targets) {
        if (!freshFolder(seedRoot + u'/' + target) || !QDir().mkpath(corpusRoot + u'/' + target))
            return 1;
    }

    const QDir seeds(seedRoot);
    const bool written = writeSeeds(QDir(seeds.filePath(targets[0])), channelTextSeeds()) &&
                         writeSeeds(QDir(seeds.filePath(targets[1])), filterSeeds()) &&
                         writeSeeds(QDir(seeds.filePath(targets[2])), pictureSeeds());
    if (!written) {
        std::fprintf(stderr, "make_seeds: a seed could not be made or written\n");
        return 1;
    }
    return 0;
}
