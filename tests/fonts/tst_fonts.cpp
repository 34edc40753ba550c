#include "fonts/fonts.h"
#include "support/fakefonts.h"
#include "support/test_table.h"
#include "toolkit/label.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>

#include <fontconfig/fontconfig.h>

#include <cstdio>

namespace {

const QString sample = QStringLiteral("Aaあぁアァ亜宇");

// A family whose own name ends in brackets, and a face that fontconfig lists both in its wider
// family and under a family name of its own, as DejaVu Sans ExtraLight is "DejaVu Sans Light".
QList<FixtureFace> fixtureFaces()
{
    return {{QStringLiteral("Bracket Face [abc]"),
             QStringLiteral("Regular"),
             {},
             QStringLiteral("BracketFace-abc")},
            {QStringLiteral("Fixture Sans"),
             QStringLiteral("Regular"),
             {},
             QStringLiteral("FixtureSans-Regular")},
            {QStringLiteral("Fixture Sans Light"), QStringLiteral("ExtraLight"),
             QStringLiteral("Fixture Sans"), QStringLiteral("FixtureSans-ExtraLight"), 200}};
}

// The font the preview draws for a face name.
QFont previewFont(const QString &name)
{
    toolkit::Label label;
    label.setFontName(name);
    label.setFontSize(36);
    return label.drawnFont();
}

bool proportional(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(u'i') != metrics.horizontalAdvance(u'W');
}

// The PostScript name of fontconfig's own face for a family name: the regular face among the
// fonts of that name.
QString fontconfigFace(const QString &family)
{
    const QByteArray utf8 = family.toUtf8();
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(utf8.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    QString face;
    FcChar8 *value = nullptr;
    if (FcPattern *match = FcFontMatch(nullptr, pattern, &result)) {
        if (FcPatternGetString(match, FC_POSTSCRIPT_NAME, 0, &value) == FcResultMatch)
            face = QString::fromUtf8(reinterpret_cast<const char *>(value));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return face;
}

// What the window shows of the sample and of a caption: drawn face, file header and pixels.
QStringList lookOfTheWindow()
{
    QStringList look;
    toolkit::Label preview(sample);
    preview.setAutoSize(true);
    preview.setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    preview.setFontSize(36);
    toolkit::Label caption(QStringLiteral("取り消し線"));
    caption.setAutoSize(true);
    for (const toolkit::Label *label : {&preview, &caption}) {
        const DrawnFace face = drawnFace(label->drawnFont());
        const QImage pixels = const_cast<toolkit::Label *>(label)->grab().toImage();
        look << QStringLiteral("%1 %2 %3x%4 %5")
                    .arg(face.postScriptName, QString::fromLatin1(face.header.toHex()))
                    .arg(pixels.width())
                    .arg(pixels.height())
                    .arg(QString::fromLatin1(
                        QCryptographicHash::hash(
                            QByteArrayView(pixels.constBits(), pixels.sizeInBytes()),
                            QCryptographicHash::Sha1)
                            .toHex()));
    }
    return look;
}

// This test program run again under another locale.
QProcess *runUnder(const QStringList &environment, const QStringList &arguments, QObject *parent)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANG", "LANGUAGE"})
        env.remove(QLatin1String(name));
    for (const QString &setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    auto *process = new QProcess(parent);
    process->setProcessEnvironment(env);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    process->waitForFinished(60000);
    return process;
}

} // namespace

// The screen font list and the faces really drawn for requested names.
class FontsTest : public QObject
{
    Q_OBJECT
private slots:
    void everyListedNameDrawsItsOwnFace();
    void listIsSortedWithoutDuplicates();
    void requestedNamesDrawTheirFace_data();
    void requestedNamesDrawTheirFace();
    void emptyNameIsRefused();
    void defaultFontIsAnInstalledFamily();
    void windowLooksTheSameUnderEveryLocale_data();
    void windowLooksTheSameUnderEveryLocale();
};

void FontsTest::everyListedNameDrawsItsOwnFace()
{
    const fonts::SystemFonts fonts;
    QVERIFY(fonts.fontCount() > 0);
    for (int i = 0; i < fonts.fontCount(); ++i) {
        const std::optional<QString> name = fonts.font(i);
        QVERIFY(name);
        const QFont font = previewFont(*name);
        const QString drawn = drawnFace(font).postScriptName;
        // A Type 1 file has no name table: the family of the loaded file must be the one asked.
        if (drawn.isEmpty())
            QCOMPARE(QRawFont::fromFont(font).familyName().toCaseFolded(), name->toCaseFolded());
        else
            QCOMPARE(drawn, fontconfigFace(*name));
    }
    QVERIFY(!fonts.font(fonts.fontCount()));
    QVERIFY(!fonts.font(-1));
}

void FontsTest::listIsSortedWithoutDuplicates()
{
    const fonts::SystemFonts fonts;
    QStringList names;
    for (int i = 0; i < fonts.fontCount(); ++i)
        names << *fonts.font(i);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
    for (const FixtureFace &face : fixtureFaces())
        QVERIFY2(names.contains(face.family), qPrintable(face.family));
    for (qsizetype i = 1; i < names.size(); ++i)
        QVERIFY2(names.at(i - 1).compare(names.at(i), Qt::CaseInsensitive) <= 0,
                 qPrintable(names.at(i - 1) + QLatin1String(" > ") + names.at(i)));
}

void FontsTest::requestedNamesDrawTheirFace_data()
{
    QVERIFY(addTestRows(QStringLiteral("fonts/requested-names.json")));
}

void FontsTest::requestedNamesDrawTheirFace()
{
    QFETCH(QString, requested);
    QFETCH(QString, drawn);
    QFETCH(bool, isProportional);
    const QFont font = previewFont(requested);
    QCOMPARE(drawnFace(font).postScriptName, drawn);
    QCOMPARE(proportional(font), isProportional);
}

void FontsTest::emptyNameIsRefused()
{
    QVERIFY(!fonts::resolvedFamily(QString()));
    // A name installed nowhere still gives a face that exists, never one Qt must search for;
    // so does the part before the brackets of a family whose own name ends in brackets.
    for (const char *name : {"No Such Face 42", "Bracket Face"}) {
        const std::optional<QString> unknown = fonts::resolvedFamily(QString::fromUtf8(name));
        QVERIFY(unknown);
        QCOMPARE(QFontInfo(QFont(*unknown)).family(), *unknown);
    }
}

// The user-interface font is a real family drawing Japanese, so no lookup of a missing
// family happens when the window first measures its captions.
void FontsTest::defaultFontIsAnInstalledFamily()
{
    const QFont font = QApplication::font();
    QVERIFY2(QFontDatabase::families().contains(font.family()), qPrintable(font.family()));
    QVERIFY(QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese));
    QCOMPARE(font.pointSizeF(), 9.0);
}

void FontsTest::windowLooksTheSameUnderEveryLocale_data()
{
    QVERIFY(addTestRows(QStringLiteral("fonts/locales.json")));
}

// The sample and the captions are drawn in the proportional gothic, pixel for pixel the same
// whatever the locale, and every listed name draws its own face under that locale too.
void FontsTest::windowLooksTheSameUnderEveryLocale()
{
    QFETCH(QStringList, environment);
    const QStringList here = lookOfTheWindow();
    QFont gothic(QStringLiteral("IPAPGothic"));
    const QByteArray gothicHeader = drawnFace(gothic).header.toHex();
    for (const QString &look : here)
        QVERIFY2(look.startsWith(QLatin1String("IPAPGothic ") + QLatin1String(gothicHeader)),
                 qPrintable(look));

    QProcess *probe =
        runUnder(environment + QStringList{QStringLiteral("FONTS_TEST_LOOK=1")}, {}, this);
    QCOMPARE(QString::fromUtf8(probe->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             here);
    // Names asked for before the list is gathered are found among the fonts that carry them;
    // afterwards, in the gathering: both ways must draw the same faces.
    QProcess *cases = runUnder(environment,
                               {QStringLiteral("requestedNamesDrawTheirFace"),
                                QStringLiteral("everyListedNameDrawsItsOwnFace")},
                               this);
    QVERIFY2(cases->exitStatus() == QProcess::NormalExit && cases->exitCode() == 0,
             cases->readAllStandardOutput().constData());
}

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    if (!folder.isValid() || !installFixtureFonts(folder.path(), fixtureFaces())) {
        std::fputs("tst_fonts: cannot make the fixture fonts\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    fonts::initialiseFonts();
    if (qEnvironmentVariableIsSet("FONTS_TEST_LOOK")) {
        std::fputs(qPrintable(lookOfTheWindow().join(u'\n') + u'\n'), stdout);
        return 0;
    }
    FontsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fonts.moc"
