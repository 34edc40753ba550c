#include "e2e/e2e_test.h"
#include "e2e/freshhome.h"
#include "e2e/xclient.h"
#include "support/test_fonts.h"

#include <QTemporaryDir>
#include <QTest>

// A font file named on the command line, as a file manager's "Open with" passes it: its family
// is in the font box and the sample is drawn in it, unlike the start-up face, in pixels the same
// as when the font is installed and chosen by name. A second file dragged from another program
// onto a colour box is shown in turn and the box keeps its text. The run leaves a fresh home as
// empty as it found it.
class TestE2eFontFiles : public E2eTest
{
    Q_OBJECT

private slots:
    void showsTheFileAsWhenInstalled();

private:
    // The canvas and the font box's edit field.
    QList<QImage> shown(const QImage &screen) const
    {
        return {screen.copy(m_form->canvas()),
                screen.copy(m_form->rect(layout::combo1).adjusted(3, 3, -20, -3))};
    }
    QList<QImage> shownOnceChanged(const QList<QImage> &before)
    {
        return shown(m_x->waitForScreen(
            [&](const QImage &screen) { return shown(screen) != before; }, 10000));
    }
};

void TestE2eFontFiles::showsTheFileAsWhenInstalled()
{
    const QTemporaryDir fonts;
    const QString file = fonts.filePath(QStringLiteral("downloaded.otf"));
    QVERIFY(QFile::copy(testFont("kanamite-gothic.otf"), file));
    const QList<QImage> startUp = shown(m_x->waitForStill(m_form->window()));

    QList<QImage> opened;
    {
        const FreshHome home(*m_x);
        QVERIFY(home.isReady());
        QVERIFY(m_x->startProgram(programPath(), {file}));
        QVERIFY2((m_form = Form1Screen::find(*m_x)), qPrintable(m_x->errorString()));
        // Once it has changed, and then settled: the box may change a frame before the canvas.
        QVERIFY2(shownOnceChanged(startUp) != startUp,
                 "the sample was not redrawn in the file's face");
        opened = shown(m_x->waitForStill(m_form->window()));

        const QImage box = m_x->screenshot().copy(m_form->rect(layout::textC(0)));
        const std::unique_ptr<QProcess> source =
            m_x->spawn(dragSourcePath(), {testFont("kanamite-mincho.woff")});
        source->start();
        QVERIFY(m_x->findWindow(QStringLiteral("^drag source$")));
        const QPoint target = m_form->centre(layout::textC(0));
        QVERIFY(m_x->xdotool(QStringLiteral("mousemove 50 50 mousedown 1 mousemove 60 60 sleep 0.2 "
                                            "mousemove %1 %2 sleep 0.3 mousemove %3 %2 sleep 0.3 "
                                            "mouseup 1")
                                 .arg(target.x())
                                 .arg(target.y())
                                 .arg(target.x() + 4)
                                 .split(u' ')));
        QVERIFY2(shownOnceChanged(opened) != opened, "the dropped file's face was not shown");
        QCOMPARE(m_x->screenshot().copy(m_form->rect(layout::textC(0))), box);
        keepScreenshot(m_x->screenshot(), QStringLiteral("font-file"));
        stopProcess(source.get());
        QVERIFY(xclient::requestClose(m_x->display(), m_form->windowId()));
        QVERIFY(m_x->program()->waitForFinished(5000));
        QCOMPARE(m_x->program()->exitCode(), 0);
        QCOMPARE(home.contents(), QStringList());
    }

    QVERIFY(addFontFolder(fonts.path()));
    QVERIFY2((m_form = Form1Screen::start(*m_x)), qPrintable(m_x->errorString()));
    QVERIFY(m_x->click(m_form->centre(layout::combo1) - QPoint(20, 0)));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")) && m_x->type(QStringLiteral("Kanamite Gothic")));
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    const QList<QImage> installed = shown(
        m_x->waitForScreen([&](const QImage &screen) { return shown(screen) == opened; }, 10000));
    QVERIFY2(installed.first() == opened.first(), "the installed font draws differently");
    QVERIFY2(installed.last() == opened.last(), "the font box reads differently");
}

QTEST_GUILESS_MAIN(TestE2eFontFiles)
#include "tst_e2e_font_files.moc"
