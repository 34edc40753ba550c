#include "fonts/familyreply.h"
#include "fonts/fonterror.h"
#include "picture/decoderprocess.h"
#include "support/image_bytes.h"
#include "support/standins.h"
#include "support/test_fonts.h"
#include "support/testmain.h"
#include "toolkit/loadfont.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using fonts::FontError;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sample text in a family, as the window draws it.
QImage drawn(const QString &family)
{
    QImage image(360, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(family);
    font.setPixelSize(40);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.drawText(4, 46, QStringLiteral("Aaあぁアァ亜宇"));
    return image;
}

} // namespace

class TestLoadFont : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // Named by bytes that are no UTF-8, which QTemporaryDir cannot name to remove.
    QByteArray m_rawName;

    QString write(const char *name, const QByteArray &data)
    {
        return writeFile(m_dir, QString::fromUtf8(name), data);
    }

    static void row(const char *name, const QString &path, FontError why,
                    const QStringList &families = {}, const QString &checker = builtDecoder())
    {
        QTest::newRow(name) << path << checker << int(why) << families;
    }

private slots:
    void cleanup() { picture::setDecoderPath(builtDecoder()); }
    void cleanupTestCase() { ::unlink(m_rawName.constData()); }

    // Each file as the window gets it: the families and bytes of a font file the checker
    // opened, else the reason, with a warning that names it.
    void loadFontFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("checker");
        QTest::addColumn<int>("why");
        QTest::addColumn<QStringList>("families");
        const QString gothic = testFont("kanamite-gothic.ttf");
        row("ttf", gothic, FontError::None, {"Kanamite Gothic"});
        row("otf", testFont("kanamite-gothic.otf"), FontError::None, {"Kanamite Gothic"});
        row("ttc", testFont("kanamite.ttc"), FontError::None,
            {"Kanamite Gothic", "Kanamite Mincho"});
        row("woff", testFont("kanamite-mincho.woff"), FontError::None, {"Kanamite Mincho"});
        row("text", write("notes.ttf", "Kanamite Gothic\n"), FontError::NotAFont);
        row("empty", write("empty.ttf", {}), FontError::Empty);
        row("folder", m_dir.path(), FontError::NotRegularFile);
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.ttf"));
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        row("fifo", fifo, FontError::NotRegularFile);
        row("missing", m_dir.filePath(QStringLiteral("missing.ttf")), FontError::Unreadable);
        row("cut short", write("cut.ttf", bytesOf(gothic).first(1000)), FontError::NoUsableFace);
        const QString large = write("large.ttf", bytesOf(gothic));
        QFile(large).resize(fonts::maxFontFileBytes + 1);
        row("over the bound", large, FontError::TooLarge);
        // Two faces, at offsets 20 and 32, of bytes that are no table directory.
        row("collection of garbage",
            write("garbage.ttc", QByteArray("ttcf\0\1\0\0\0\0\0\2\0\0\0\x14\0\0\0\x20", 20) +
                                     QByteArray(64, '\xAB')),
            FontError::NoUsableFace);
        m_rawName = QFile::encodeName(m_dir.path()) + "/\xFF\xFE.ttf";
        QVERIFY(::symlink(QFile::encodeName(gothic).constData(), m_rawName.constData()) == 0);
        row("undecodable name", QFile::decodeName(m_rawName), FontError::UndecodableName);
        row("checker crashes", gothic, FontError::CheckerCrashed, {}, standIn("abort_helper"));
        row("checker hangs", gothic, FontError::TimedOut, {}, standIn("sleep_helper"));
        row("checker floods", gothic, FontError::MalformedReply, {}, standIn("flood_helper"));
        row("no checker", gothic, FontError::CheckerMissing, {}, m_dir.filePath("none"));
    }
    void loadFontFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, checker);
        QFETCH(int, why);
        QFETCH(QStringList, families);
        picture::setDecoderPath(checker);
        const auto reason = FontError(why);
        if (reason == FontError::None)
            QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        else
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("^Refused .* as a font file: ") +
                                                    fonts::fontErrorName(reason) + u'$'));
        FontError error = FontError::Unreadable;
        const std::optional<toolkit::FontFile> font = toolkit::LoadFontFile(path, &error);
        QCOMPARE(error, reason);
        QCOMPARE(font.has_value(), reason == FontError::None);
        if (!font)
            return;
        QCOMPARE(font->families, families);
        QCOMPARE(font->data, bytesOf(path));
        // The checked bytes, registered here, draw the glyphs of the fonts they were cut from,
        // not those of a fallback.
        const int id = QFontDatabase::addApplicationFontFromData(font->data);
        QCOMPARE(QFontDatabase::applicationFontFamilies(id), families);
        for (const QString &family : families) {
            const QImage image = drawn(family);
            QCOMPARE(image, drawn(QStringLiteral("IPA") + family.section(u' ', -1)));
            QVERIFY(image != drawn(QStringLiteral("No Such Family")));
        }
        QFontDatabase::removeApplicationFont(id);
    }

    // The checker's reply is trusted in nothing: only whole lines of well-formed UTF-8 names
    // within the bounds are taken, however the pipe cuts them up; anything else is refused whole.
    void familyReceiver_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("families");
        const QStringList two{QStringLiteral("Kanamite Gothic"), QStringLiteral("カナミテ明朝")};
        QTest::newRow("two names") << QString(two.join(u'\n') + u'\n').toUtf8() << two;
        QTest::newRow("256 names") << QByteArray("K\n").repeated(256) << QStringList(256, "K");
        QTest::newRow("256 characters") << QByteArray(256, 'K') + '\n'
                                        << QStringList{QString(256, u'K')};
        QTest::newRow("257 names") << QByteArray("K\n").repeated(257) << QStringList();
        QTest::newRow("257 characters") << QByteArray(257, 'K') + '\n' << QStringList();
        QTest::newRow("nothing") << QByteArray() << QStringList();
        QTest::newRow("no last line feed") << QByteArray("Kanamite") << QStringList();
        QTest::newRow("empty name") << QByteArray("Kanamite\n\n") << QStringList();
        QTest::newRow("not utf-8") << QByteArray("Kanamite \xFF\n") << QStringList();
        QTest::newRow("cut utf-8") << QByteArray("Kanamite \xE4\xBA\n") << QStringList();
        QTest::newRow("overlong utf-8") << QByteArray("Kanamite \xC0\xAF\n") << QStringList();
        QTest::newRow("control character") << QByteArray("Kanamite\x1B[2J\n") << QStringList();
        QTest::newRow("past the byte bound") << QByteArray(300000, '\n') << QStringList();
    }
    void familyReceiver()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, families);
        for (const qsizetype piece : {std::max<qsizetype>(reply.size(), 1), qsizetype(1)}) {
            fonts::FamilyReceiver receiver;
            for (qsizetype at = 0; at < reply.size(); at += piece)
                receiver.feed(QByteArrayView(reply).sliced(at, std::min(piece, reply.size() - at)));
            QCOMPARE(receiver.families().value_or(QStringList()), families);
        }
    }
};

TYPORAMA_TEST_MAIN(TestLoadFont)
#include "tst_loadfont.moc"
