#include "app/form1.h"
#include "background/clscomdlg.h"
#include "fonts/fonts.h"
#include "picture/pictureerror.h"
#include "support/image_bytes.h"
#include "support/loadedform.h"
#include "support/resident_memory.h"
#include "support/test_data.h"
#include "support/testmain.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QGroupBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QString imageFilter = QStringLiteral(
    "画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;*.JPEG;*.ICO;"
    "*.WMF;*.EMF|全てのファイル(*.*)|*.*");

} // namespace

class TestImageHandlers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tilePath;
    std::optional<LoadedForm> m_form;
    int m_dialogRuns = 0;
    bool m_dialogWasOpen = false;

    QString write(const QString &name, const QByteArray &data)
    {
        return writeFile(m_dir, name, data);
    }

    // The next dialog chooses this path; an empty one cancels.
    void chooseNext(const QString &path)
    {
        (*m_form)->Dlg->setDialogRunner([this, path](QFileDialog &dialog) {
            ++m_dialogRuns;
            m_dialogWasOpen = dialog.acceptMode() == QFileDialog::AcceptOpen;
            if (path.isEmpty())
                return false;
            dialog.selectFile(path);
            return true;
        });
    }

    QImage canvas()
    {
        return (*m_form)->Picture1->surfaceImage().convertToFormat(QImage::Format_RGB32);
    }

    void load(const QString &path)
    {
        chooseNext(path);
        (*m_form)->Command2_Click();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_tilePath = write(QStringLiteral("tile.bmp"), encoded(tiled(tileSize), "bmp"));
        QVERIFY(!m_tilePath.isEmpty());
    }

    void init()
    {
        m_form.emplace();
        m_dialogRuns = 0;
    }

    void cleanup() { m_form.reset(); }

    void loadTilesTheImageAndLocksColours()
    {
        Form1 &form = **m_form;
        load(m_tilePath);
        QCOMPARE(m_dialogRuns, 1);
        QVERIFY(m_dialogWasOpen);
        QCOMPARE(form.Dlg->DialogTitle, QStringLiteral("開く"));
        QCOMPARE(form.Dlg->Filter, imageFilter);
        QCOMPARE(form.Dlg->Flags, 4);
        QCOMPARE(form.Picture2->picture().image().size(), tileSize);
        QVERIFY(!form.Frame1->isEnabled());
        QVERIFY(!form.TextC[0]->isEnabled());
        const QImage shown = canvas();
        QCOMPARE(shown, tiled(shown.size()));
    }

    void cancelLeavesStateAsItWas_data()
    {
        QTest::addColumn<bool>("imageFirst");
        QTest::newRow("no image") << false;
        QTest::newRow("image in use") << true;
    }
    void cancelLeavesStateAsItWas()
    {
        QFETCH(bool, imageFirst);
        Form1 &form = **m_form;
        if (imageFirst)
            load(m_tilePath);
        const QImage before = canvas();
        const QImage held = form.Picture2->picture().image();
        load(QString());
        QCOMPARE(m_dialogRuns, imageFirst ? 2 : 1);
        QCOMPARE(canvas(), before);
        QCOMPARE(form.Picture2->picture().image(), held);
        QCOMPARE(form.Frame1->isEnabled(), !imageFirst);
    }

    // Raster files, faulty ones among them, draw what they hold; the canvas colour shows where
    // a run-length bitmap gives no pixels.
    void filesDrawAsExpected_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : testPictures({QStringLiteral("bmp"), QStringLiteral("jpeg")}))
            if (!meantToBeRefused(file))
                QTest::newRow(qPrintable(file)) << file;
    }
    void filesDrawAsExpected()
    {
        QFETCH(QString, file);
        load(testDataPath(file));
        QVERIFY(!(*m_form)->Frame1->isEnabled());
        // Partly transparent pixels may round by one where the canvas blends them.
        const QString mismatch = pictureMismatch(canvas(), expectedPicture(file), Qt::white,
                                                 file.startsWith(QStringLiteral("jpeg/")) ? 4 : 1);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void clearRemovesImageAndFreesColours()
    {
        Form1 &form = **m_form;
        load(m_tilePath);
        const QStringList values{form.TextC[0]->text(), form.TextC[1]->text(),
                                 form.TextC[2]->text()};
        const QColor back = form.Picture1->backColor();
        form.Command3_Click();
        QVERIFY(form.Picture2->picture().isEmpty());
        QVERIFY(form.Picture1->picture().isEmpty());
        QVERIFY(form.Frame1->isEnabled());
        const QImage shown = canvas();
        QCOMPARE(shown, filled(shown.size(), back));
        QCOMPARE(form.Picture1->backColor(), back);
        QCOMPARE((QStringList{form.TextC[0]->text(), form.TextC[1]->text(), form.TextC[2]->text()}),
                 values);
    }

    // Clearing keeps nothing of a large picture: neither the holder's copy, nor a surface of
    // its size, nor a converted copy made for drawing the tiles.
    void clearFreesThePicture_data()
    {
        QTest::addColumn<QString>("path");
        QImage truecolour(6000, 6000, QImage::Format_RGB32);
        QPainter(&truecolour).fillRect(truecolour.rect(), QGradient(QGradient::RiverCity));
        QTest::newRow("6000×6000 JPEG")
            << write(QStringLiteral("large.jpg"), encoded(truecolour, "jpg"));
        truecolour = QImage();
        QImage palette(6000, 6000, QImage::Format_Indexed8);
        palette.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
        palette.fill(1);
        QTest::newRow("6000×6000 8-bit BMP")
            << write(QStringLiteral("large.bmp"), encoded(palette, "bmp"));
    }
    void clearFreesThePicture()
    {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer holds freed blocks back from reuse, so resident memory tells nothing.
        QSKIP("AddressSanitizer keeps freed memory in quarantine");
#endif
        QFETCH(QString, path);
        Form1 &form = **m_form;
        // A first load and clear settle what the loader keeps for good.
        load(m_tilePath);
        form.Command3_Click();
        const qint64 before = residentMemoryBytes();
        load(path);
        QCOMPARE(form.Picture2->picture().image().size(), QSize(6000, 6000));
        const qint64 loaded = residentMemoryBytes() - before;
        form.Command3_Click();
        QApplication::processEvents();
        const qint64 kept = residentMemoryBytes() - before;
        QVERIFY2(loaded > 30 << 20, qPrintable(QString::number(loaded)));
        QVERIFY2(
            kept < 16 << 20,
            qPrintable(QStringLiteral("%1 MB of %2 MB kept").arg(kept >> 20).arg(loaded >> 20)));
    }

    void clearWithNoImageChangesNothing()
    {
        Form1 &form = **m_form;
        const QImage before = canvas();
        form.Command3_Click();
        QCOMPARE(canvas(), before);
        QVERIFY(form.Frame1->isEnabled());
        QVERIFY(form.Picture2->picture().isEmpty());
    }

    // Once cleared, the background colour boxes take typing again straight away.
    void colourBoxesWorkAfterClear()
    {
        Form1 &form = **m_form;
        load(m_tilePath);
        form.Command3_Click();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.TextC[0]->setFocus();
        QTRY_VERIFY(form.TextC[0]->hasFocus());
        form.TextC[0]->selectAll();
        QTest::keyClicks(form.TextC[0], QStringLiteral("0"));
        QCOMPARE(form.TextC[0]->text(), QStringLiteral("0"));
        QCOMPARE(form.Picture1->backColor(), QColor(0, 255, 255));
        const QImage shown = canvas();
        QCOMPARE(shown, filled(shown.size(), QColor(0, 255, 255)));
    }

    // The canvas is not cleared between loads: the first image shows through the second's
    // transparent parts.
    void secondImageDrawsOverFirst()
    {
        Form1 &form = **m_form;
        load(m_tilePath);
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter(&icon).fillRect(16, 0, 16, 32, Qt::green);
        load(write(QStringLiteral("half.ico"), encoded(icon, "ico")));
        QCOMPARE(form.Picture2->picture().image().size(), QSize(32, 32));
        QVERIFY(!form.Frame1->isEnabled());
        const QImage shown = canvas();
        for (const int x : {2, 14, 34, 46})
            QCOMPARE(shown.pixelColor(x, 5), tileColourAt(x));
        for (const int x : {18, 30, 50, 62})
            QCOMPARE(shown.pixelColor(x, 5), QColor(Qt::green));
    }
};

TYPORAMA_TEST_MAIN(TestImageHandlers)
#include "tst_image_handlers.moc"
