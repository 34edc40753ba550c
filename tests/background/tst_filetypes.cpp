#include "background/filetypes.h"
#include "support/test_table.h"

#include <QRegularExpression>
#include <QTest>

using background::FileType;

namespace {

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
        QVERIFY(addTestRows(QStringLiteral("file-types/replace-text.json")));
    }
    void replaceText()
    {
        QFETCH(QString, source);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(background::replaceText(source, search, replacement), expected);
    }

    void fileTypes_data() { QVERIFY(addTestRows(QStringLiteral("file-types/file-types.json"))); }
    void fileTypes()
    {
        QFETCH(QString, filter);
        QFETCH(QVariantList, expected);
        QList<FileType> types;
        for (const QVariant &type : expected) {
            const QVariantList descriptionAndPatterns = type.toList();
            types.append({descriptionAndPatterns.value(0).toString(),
                          descriptionAndPatterns.value(1).toStringList()});
        }
        QCOMPARE(typesOfBarList(filter), types);
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
