// Every committed picture file is read as the loader reads a file the user picks, and shows
// exactly the picture beside it, or is refused where its name says so, for the reason it says.
#include "picture/pictureloader.h"
#include "support/test_data.h"
#include "support/testmain.h"
#include "toolkit/loadpicture.h"

#include <QRegularExpression>
#include <QtTest>

class TestReadTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { useBuiltDecoder(); }

private slots:
    void everyFormatHasFiles_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *format : {"bmp", "gif", "jpeg", "ico", "emf", "wmf"})
            QTest::newRow(format) << QString::fromLatin1(format);
    }
    void everyFormatHasFiles()
    {
        QFETCH(QString, format);
        QVERIFY(!testPictures({format}).isEmpty());
    }

    void readsAsExpected_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : testPictures())
            QTest::newRow(qPrintable(file)) << file;
    }
    void readsAsExpected()
    {
        QFETCH(QString, file);
        const QString path = testDataPath(file);
        if (meantToBeRefused(file)) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("^Refused .* as a picture: ")));
            picture::PictureError why = picture::PictureError::None;
            QVERIFY(!toolkit::LoadPicture(path, &why));
            if (refusalReason(file) != picture::PictureError::None)
                QCOMPARE(picture::pictureErrorName(why),
                         picture::pictureErrorName(refusalReason(file)));
            return;
        }
        // A load that succeeds prints nothing, whatever the decoder had to say.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        const std::optional<toolkit::Picture> first = toolkit::LoadPicture(path);
        const std::optional<toolkit::Picture> second = toolkit::LoadPicture(path);
        QVERIFY(first && second);
        QCOMPARE(first->image(), second->image());
        const QImage expected = expectedPicture(file);
        QVERIFY(!expected.isNull());
        QCOMPARE(first->image().size(), expected.size());
        // JPEG decoders may round a step differently; every other format is exact.
        const int tolerance = file.startsWith(QStringLiteral("jpeg/")) ? 4 : 0;
        const QString mismatch =
            pictureMismatch(first->image(), expected, Qt::transparent, tolerance);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
};

QTEST_GUILESS_MAIN(TestReadTest)
#include "tst_readtest.moc"
