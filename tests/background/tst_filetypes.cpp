#include "background/filetypes.h"

#include <QRegularExpression>
#include <QTest>

using background::FileType;

namespace {

const QString programFilter = QStringLiteral(
    "画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;*.JPEG;*.ICO;"
    "*.WMF;*.EMF|全てのファイル(*.*)|*.*");

QList<FileType> typesOfBarList(const QString &filter)
{
    return background::fileTypesOf(
        background::replaceText(filter, QStringLiteral("|"), QString(QChar(0))));
}

} // namespace

class TestFileTypes : public QObject
{
    Q_OBJECT

private slots:
    void replaceText_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        const QString nul(QChar(0));
        QTest::newRow("bars to NULs") << "a|b||c|"
                                      << "|" << nul << QString("a%1b%1%1c%1").arg(nul);
        QTest::newRow("no match") << "abc"
                                  << "|" << nul << "abc";
        QTest::newRow("empty source") << ""
                                      << "|" << nul << "";
        QTest::newRow("case counts") << "aAa"
                                     << "a"
                                     << "x"
                                     << "xAx";
        QTest::newRow("longer search") << "one--two--"
                                       << "--"
                                       << "+"
                                       << "one+two+";
        QTest::newRow("shorter replacement rejoins") << "aaa"
                                                     << "aa"
                                                     << "b"
                                                     << "ba";
        QTest::newRow("removal") << "a|b|c"
                                 << "|"
                                 << ""
                                 << "abc";
        QTest::newRow("removal joins a new match") << "aabb"
                                                   << "ab"
                                                   << ""
                                                   << "ab";
        QTest::newRow("replacement holding the search") << "a|b"
                                                        << "|"
                                                        << "||"
                                                        << "a||b";
        QTest::newRow("replacement ending in the search") << "xx"
                                                          << "x"
                                                          << "yx"
                                                          << "yxyx";
        QTest::newRow("empty search") << "abc"
                                      << ""
                                      << "x"
                                      << "abc";
    }
    void replaceText()
    {
        QFETCH(QString, source);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(background::replaceText(source, search, replacement), expected);
    }

    void fileTypes_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<FileType>>("expected");
        const QString images =
            QStringLiteral("画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)");
        QTest::newRow("the program's list")
            << programFilter
            << QList<FileType>{
                   {images, {"*.BMP", "*.GIF", "*.JPG", "*.JPEG", "*.ICO", "*.WMF", "*.EMF"}},
                   {QStringLiteral("全てのファイル(*.*)"), {"*"}}};
        QTest::newRow("no bar: a description alone") << "Text" << QList<FileType>{{"Text", {}}};
        QTest::newRow("four fields")
            << "A|*.a|B|*.b;*.c" << QList<FileType>{{"A", {"*.a"}}, {"B", {"*.b", "*.c"}}};
        QTest::newRow("odd field count") << "A|*.a|B" << QList<FileType>{{"A", {"*.a"}}, {"B", {}}};
        QTest::newRow("trailing bar") << "A|*.a|" << QList<FileType>{{"A", {"*.a"}}};
        QTest::newRow("empty description ends the list")
            << "A|*.a||*.b|C|*.c" << QList<FileType>{{"A", {"*.a"}}};
        QTest::newRow("empty") << "" << QList<FileType>{};
        QTest::newRow("spaces and empty patterns")
            << "A| *.a ;;*.b" << QList<FileType>{{"A", {"*.a", "*.b"}}};
        QTest::newRow("all files only where alone")
            << "A|*.*;a*.*" << QList<FileType>{{"A", {"*", "a*.*"}}};
    }
    void fileTypes()
    {
        QFETCH(QString, filter);
        QFETCH(QList<FileType>, expected);
        QCOMPARE(typesOfBarList(filter), expected);
    }

    // The dialog shows what comes before the last bracket; the patterns are matched apart.
    void nameFilterShowsTheDescriptionAlone()
    {
        const FileType type{QStringLiteral("画像ファイル(*.bmp;*.gif)"), {"*.BMP", "*.画 像"}};
        const QRegularExpression parts(QStringLiteral("^(.*) \\(\\*\\)$"));
        const QRegularExpressionMatch match = parts.match(background::nameFilterOf(type));
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1), type.description);
    }
};

QTEST_APPLESS_MAIN(TestFileTypes)
#include "tst_filetypes.moc"
