#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/freshhome.h"
#include "e2e/pixels.h"
#include "e2e/xclient.h"
#include "e2e/xsession.h"
#include "support/image_bytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A background image chosen in the real file dialog by typing its path: its tiles on the
// canvas, their survival of minimise and restore, and clearing them.
class TestE2eBackground : public E2eTest
{
    Q_OBJECT

private slots:
    void loadThroughDialogThenClear();
    void minimiseAndRestoreKeepTiles();
    void writesNothingToAFreshHome();

private:
    void prepare() override;
    bool loadTile();
    // Canvas pixels, outside the sample text, that are not the tile pattern's.
    int tileMismatches(const QImage &shot) const;
    bool showsTiles(const QImage &shot) const { return tileMismatches(shot) == 0; }

    QTemporaryDir m_files;
    QString m_tilePath;
};

namespace {

const QString dialogTitle = QStringLiteral("^開く$");
// Right of the sample text at its start-up size.
constexpr int textRightPx = 350;
constexpr int dialogTimeoutMs = 10000;

} // namespace

void TestE2eBackground::prepare()
{
    QVERIFY(m_files.isValid());
    m_tilePath = m_files.filePath(QStringLiteral("tile.bmp"));
    QVERIFY(tiled(tileSize).save(m_tilePath, "BMP"));
}

int TestE2eBackground::tileMismatches(const QImage &shot) const
{
    const QRect canvas = m_form->canvas();
    const QRect right = canvas.adjusted(textRightPx, 0, 0, 0);
    int mismatches = 0;
    for (const QRect &area : {m_form->clearBand(), right}) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (shot.pixelColor(x, y) != tileColourAt(x - canvas.left()))
                    ++mismatches;
            }
        }
    }
    return mismatches;
}

// Presses 読込, types the tile's full path into the dialog's file name field and confirms.
bool TestE2eBackground::loadTile()
{
    if (!m_x->click(m_form->centre(layout::command2)))
        return false;
    if (!m_x->findWindow(dialogTitle, dialogTimeoutMs))
        return false;
    if (!m_x->type(m_tilePath) || !m_x->key(QStringLiteral("Return")))
        return false;
    const QImage shot = m_x->waitForScreen([this](const QImage &image) {
        return !m_x->hasVisibleWindow(dialogTitle) && showsTiles(image);
    });
    return !m_x->hasVisibleWindow(dialogTitle) && showsTiles(shot);
}

void TestE2eBackground::loadThroughDialogThenClear()
{
    QVERIFY2(loadTile(), "the tiles did not appear");
    keepScreenshot(m_x->screenshot().copy(m_form->window()), QStringLiteral("tiles"));

    // The background colour boxes are locked while an image is in use.
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    QVERIFY(m_x->type(QStringLiteral("0")));
    QTest::qSleep(500);
    const QImage locked = m_x->screenshot();
    QVERIFY2(showsTiles(locked), qPrintable(QString::number(tileMismatches(locked))));

    QVERIFY(m_x->click(m_form->centre(layout::command3)));
    const QImage cleared = m_x->waitForScreen([this](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), Qt::white, 0);
    });
    QVERIFY(pixels::allNear(cleared, m_form->clearBand(), Qt::white, 0));
    QVERIFY(
        pixels::allNear(cleared, m_form->canvas().adjusted(textRightPx, 0, 0, 0), Qt::white, 0));

    // Clearing unlocks the boxes at once.
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    QVERIFY(m_x->type(QStringLiteral("0")));
    const QImage cyan = m_x->waitForScreen([this](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), Qt::cyan, 0);
    });
    QVERIFY(pixels::allNear(cyan, m_form->clearBand(), Qt::cyan, 0));
}

void TestE2eBackground::minimiseAndRestoreKeepTiles()
{
    QVERIFY2(loadTile(), "the tiles did not appear");
    const QString id = m_form->windowId();

    QVERIFY(m_x->xdotool({QStringLiteral("windowminimize"), id}));
    QTRY_VERIFY2_WITH_TIMEOUT(!m_x->viewableGeometry(id), "the window was not minimised", 5000);
    QVERIFY(!showsTiles(m_x->screenshot()));

    QVERIFY(m_x->activate(id));
    const QImage restored = m_x->waitForScreen([this, &id](const QImage &image) {
        return m_x->viewableGeometry(id) == m_form->window() && showsTiles(image);
    });
    QCOMPARE(m_x->viewableGeometry(id), std::optional<QRect>(m_form->window()));
    QVERIFY2(showsTiles(restored), qPrintable(QString::number(tileMismatches(restored))));
}

// A desktop user's session: a session bus, and a home whose settings, data and cache folders
// are empty. Opening the dialog, cancelling it, loading a picture through it and closing the
// window leave them empty.
void TestE2eBackground::writesNothingToAFreshHome()
{
    const FreshHome home(*m_x);
    QVERIFY(home.isReady());
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));

    QVERIFY(m_x->click(m_form->centre(layout::command2)));
    QVERIFY(m_x->findWindow(dialogTitle, dialogTimeoutMs));
    QVERIFY(m_x->key(QStringLiteral("Escape")));
    QTRY_VERIFY_WITH_TIMEOUT(!m_x->hasVisibleWindow(dialogTitle), dialogTimeoutMs);
    QVERIFY2(loadTile(), "the tiles did not appear");
    QVERIFY(xclient::requestClose(m_x->display(), m_form->windowId()));
    QVERIFY(m_x->program()->waitForFinished(5000));
    QCOMPARE(m_x->program()->exitCode(), 0);
    QCOMPARE(home.contents(), QStringList());
}

QTEST_GUILESS_MAIN(TestE2eBackground)
#include "tst_e2e_background.moc"
