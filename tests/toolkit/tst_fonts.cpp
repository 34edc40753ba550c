#include "fonts/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

// Qt names a family that several foundries provide "Name [foundry]".
QString withoutFoundry(QString family)
{
    return family.remove(QRegularExpression(QStringLiteral(" \\[.*\\]$")));
}

} // namespace

// The screen font list and the faces really drawn for requested names.
class FontsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { toolkit::initialiseFonts(); }
    void everyListedNameIsAFamilyThatRendersInItsOwnFace();
    void listIsSortedWithoutDuplicates();
    void requestedNamesResolve_data();
    void requestedNamesResolve();
    void emptyNameIsRefused();
    void defaultFontIsAnInstalledFamily();
};

void FontsTest::everyListedNameIsAFamilyThatRendersInItsOwnFace()
{
    const toolkit::SystemFonts fonts;
    QVERIFY(fonts.fontCount() > 0);
    QStringList qtFamilies = QFontDatabase::families();
    for (QString &family : qtFamilies)
        family = withoutFoundry(family);
    for (int i = 0; i < fonts.fontCount(); ++i) {
        const std::optional<QString> name = fonts.font(i);
        QVERIFY(name);
        QVERIFY2(!name->contains(QLatin1Char('[')), qPrintable(*name));
        QVERIFY2(qtFamilies.contains(*name), qPrintable(*name));
        QCOMPARE(toolkit::resolvedFamily(*name), name);
        QFont font;
        font.setFamilies({*name});
        QCOMPARE(withoutFoundry(QFontInfo(font).family()), *name);
    }
    QVERIFY(!fonts.font(fonts.fontCount()));
    QVERIFY(!fonts.font(-1));
}

void FontsTest::listIsSortedWithoutDuplicates()
{
    const toolkit::SystemFonts fonts;
    QStringList names;
    for (int i = 0; i < fonts.fontCount(); ++i)
        names << *fonts.font(i);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
    QVERIFY(names.contains(QStringLiteral("IPAPGothic")));
    for (qsizetype i = 1; i < names.size(); ++i)
        QVERIFY2(names.at(i - 1).compare(names.at(i), Qt::CaseInsensitive) <= 0,
                 qPrintable(names.at(i - 1) + QLatin1String(" > ") + names.at(i)));
}

void FontsTest::requestedNamesResolve_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("drawn");
    QTest::newRow("installed") << "DejaVu Serif" << "DejaVu Serif";
    QTest::newRow("installed, other letter case") << "dejavu serif" << "DejaVu Serif";
    QTest::newRow("localised alias") << "IPA Pゴシック" << "IPAPGothic";
    QTest::newRow("Windows proportional gothic") << "ＭＳ Ｐゴシック" << "IPAPGothic";
    QTest::newRow("Windows gothic") << "ＭＳ ゴシック" << "IPAGothic";
    QTest::newRow("Windows mincho") << "ＭＳ 明朝" << "IPAMincho";
}

void FontsTest::requestedNamesResolve()
{
    QFETCH(QString, requested);
    QFETCH(QString, drawn);
    QCOMPARE(toolkit::resolvedFamily(requested), std::optional<QString>(drawn));
}

void FontsTest::emptyNameIsRefused()
{
    QVERIFY(!toolkit::resolvedFamily(QString()));
    // A name installed nowhere still gives a face that exists, never one Qt must search for.
    const std::optional<QString> unknown = toolkit::resolvedFamily(QStringLiteral("No Such Face 42"));
    QVERIFY(unknown);
    QCOMPARE(withoutFoundry(QFontInfo(QFont(*unknown)).family()), *unknown);
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

QTEST_MAIN(FontsTest)
#include "tst_fonts.moc"
