#include "e2e/form1_screen.h"
#include "e2e/freshhome.h"
#include "e2e/xclient.h"
#include "e2e/xsession.h"
#include "support/test_fonts.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A font file named on the command line, as a file manager's "Open with" passes it: its family
// is in the font box and the sample is drawn in it, in pixels the same as when the font is
// installed and chosen by name, unlike the start-up face's; and the run leaves a fresh home as
// empty as it found it.
class TestE2eFontFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { stopAfterTest(*m_x); }
    void cleanupTestCase() { m_x.reset(); }
    void showsTheFileAsWhenInstalled();

private:
    // The canvas and the edit field of the font box.
    QImage shown(const QImage &screen) const
    {
        QImage both(m_form->canvas().width(), m_form->canvas().height() + 20, screen.format());
        both.fill(Qt::black);
        QPainter painter(&both);
        painter.drawImage(QPoint(0, 0), screen.copy(m_form->canvas()));
        painter.drawImage(QPoint(0, m_form->canvas().height()),
                          screen.copy(m_form->rect(layout::combo1).adjusted(3, 3, -20, -3)));
        return both;
    }

    std::unique_ptr<XSession> m_x;
    std::optional<Form1Screen> m_form;
    QTemporaryDir m_fonts;
};

void TestE2eFontFiles::initTestCase()
{
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(), qPrintable(m_x->errorString()));
    QVERIFY(m_fonts.isValid());
}

void TestE2eFontFiles::showsTheFileAsWhenInstalled()
{
    const QString file = m_fonts.filePath(QStringLiteral("downloaded.otf"));
    QVERIFY(QFile::copy(testFont("kanamite-gothic.otf"), file));
    const QString dropped = testFont("kanamite-mincho.woff");
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));
    const QImage startUp = shown(m_x->waitForStill(m_form->window()));

    QImage opened;
    {
        const FreshHome home(*m_x);
        QVERIFY(home.isReady());
        QVERIFY(m_x->startProgram(programPath(), {file}));
        m_form = Form1Screen::find(*m_x);
        QVERIFY2(m_form, qPrintable(m_x->errorString()));
        m_x->waitForScreen([&](const QImage &screen) { return shown(screen) != startUp; });
        opened = shown(m_x->waitForStill(m_form->window()));
        QVERIFY2(opened != startUp, "the sample was not redrawn in the file's face");

        // A second file dragged from another program onto a colour box, which keeps its text.
        const QImage box = m_x->screenshot().copy(m_form->rect(layout::textC(0)));
        const std::unique_ptr<QProcess> source = m_x->spawn(dragSourcePath(), {dropped});
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
        const QImage afterDrop = m_x->waitForScreen(
            [&](const QImage &screen) { return shown(screen) != opened; }, 10000);
        QVERIFY2(shown(afterDrop) != opened, "the dropped file's face was not shown");
        QCOMPARE(afterDrop.copy(m_form->rect(layout::textC(0))), box);
        keepScreenshot(m_x->screenshot(), QStringLiteral("font-file"));
        stopProcess(source.get());
        QVERIFY(xclient::requestClose(m_x->display(), m_form->windowId()));
        QVERIFY(m_x->program()->waitForFinished(5000));
        QCOMPARE(m_x->program()->exitCode(), 0);
        QCOMPARE(home.contents(), QStringList());
    }

    // The same font installed, its name typed into the box and applied with the switch button.
    QVERIFY(addFontFolder(m_fonts.path()));
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));
    QVERIFY(m_x->click(m_form->centre(layout::combo1) - QPoint(20, 0)));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")) && m_x->type(QStringLiteral("Kanamite Gothic")));
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    const QImage installed =
        shown(m_x->waitForScreen([&](const QImage &screen) { return shown(screen) == opened; }));
    QVERIFY2(installed == opened, "the installed font draws differently");
}

QTEST_GUILESS_MAIN(TestE2eFontFiles)
#include "tst_e2e_font_files.moc"
