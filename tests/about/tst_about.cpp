#include "about/frmabout.h"
#include "app/form1.h"
#include "support/fakefonts.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/textbox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

// What the about window showed while it was open, taken from inside its modal loop.
struct Snapshot
{
    bool opened = false;
    bool closed = false;
    QString title;
    QStringList texts;
    bool readOnly = false;
    bool fixedSize = false;
    QSize iconSize;
    QString focus;
    QRect label1, label2, label3, image1, text1, text2, command1;
    QList<QRect> controls() const
    {
        return {label1, label2, label3, image1, text1, text2, command1};
    }
    QSize client;
    QMargins frame;
    QPoint frameTopLeft;
};

QMargins marginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

Snapshot take(frmAbout &about)
{
    Snapshot shot;
    shot.opened = true;
    shot.title = about.windowTitle();
    shot.texts = {about.Label1->caption(), about.Label2->caption(), about.Label3->caption(),
                  about.Text1->text(),     about.Text2->text(),     about.Command1->text()};
    shot.readOnly = about.Text1->isReadOnly() && about.Text2->isReadOnly();
    shot.fixedSize = about.minimumSize() == about.maximumSize();
    shot.iconSize = about.Image1->pixmap().deviceIndependentSize().toSize();
    shot.focus =
        QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    shot.label1 = about.Label1->geometry();
    shot.label2 = about.Label2->geometry();
    shot.label3 = about.Label3->geometry();
    shot.image1 = about.Image1->geometry();
    shot.text1 = about.Text1->geometry();
    shot.text2 = about.Text2->geometry();
    shot.command1 = about.Command1->geometry();
    shot.client = about.size();
    shot.frame = marginsOf(&about);
    shot.frameTopLeft = about.frameGeometry().topLeft();
    return shot;
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsItsTexts();
    void laysOutFromTheTextSizes();
    void centresOnTheOuterWidth();
    void secondOpeningGivesTheSameLayout();
    void openAndClose_data();
    void openAndClose();
    void mainWindowTakesNoInputMeanwhile();
    void closesOnlyByOk_data();
    void closesOnlyByOk();

private:
    // Opens the about window with open, runs whileOpen inside its modal loop once it is active,
    // then, if it is still open, presses Enter on the focused control. Returns what the window
    // showed.
    Snapshot runOpening(const std::function<void()> &open,
                        const std::function<void(frmAbout &)> &whileOpen = {});
    void openFromMenu() { m_form->mnuAbout->trigger(); }

    std::unique_ptr<FakeFonts> m_fonts;
    std::unique_ptr<Form1> m_form;
};

void TestAbout::init()
{
    m_fonts = std::make_unique<FakeFonts>(QStringList{QStringLiteral("ＭＳ Ｐゴシック")});
    m_form = std::make_unique<Form1>(*m_fonts);
    m_form->Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestAbout::cleanup()
{
    m_form.reset();
    m_fonts.reset();
}

Snapshot TestAbout::runOpening(const std::function<void()> &open,
                               const std::function<void(frmAbout &)> &whileOpen)
{
    Snapshot shot;
    // The window opens from the event loop, once the menu has let go of its item: the check is
    // queued behind it and runs inside its modal loop.
    open();
    QTimer::singleShot(0, m_form.get(), [&] {
        auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        if (!about || !QTest::qWaitForWindowActive(about))
            return;
        shot = take(*about);
        if (whileOpen)
            whileOpen(*about);
        if (about->isVisible() && QApplication::focusWidget())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        shot.closed = !about->isVisible();
        if (!shot.closed)
            about->reject();
    });
    // Where nothing opened, the check above still has to run before the next opening.
    QTest::qWait(20);
    return shot;
}

void TestAbout::showsItsTexts()
{
    const Snapshot shot = runOpening([this] { openFromMenu(); });
    QVERIFY(shot.opened);
    QCOMPARE(shot.title, QStringLiteral("バージョン情報"));
    QCOMPARE(shot.texts,
             (QStringList{QStringLiteral("Typorama"), QStringLiteral("Version 1.1"),
                          QStringLiteral("© 2026 The Typorama developers"),
                          QStringLiteral("https://typorama.example.org/"),
                          QStringLiteral("typorama@example.org"), QStringLiteral("OK")}));
    QVERIFY(shot.readOnly);
    QVERIFY(shot.fixedSize);
    QCOMPARE(shot.iconSize, QSize(32, 32));
    QCOMPARE(shot.focus, QStringLiteral("Command1"));
}

void TestAbout::laysOutFromTheTextSizes()
{
    const Snapshot shot = runOpening([this] { openFromMenu(); });
    QVERIFY(shot.opened);
    // Version line directly under the name, right edges flush.
    QCOMPARE(shot.label1.top(), 8);
    QCOMPARE(shot.label2.top(), shot.label1.top() + shot.label1.height());
    QCOMPARE(shot.label2.left() + shot.label2.width(), shot.label1.left() + shot.label1.width());
    // Copyright under the version line, then a gap of one line, then the two address boxes.
    QCOMPARE(shot.label3.top(), shot.label2.top() + shot.label2.height());
    QCOMPARE(shot.text1.top(), shot.label3.top() + 2 * shot.label3.height());
    QCOMPARE(shot.text2.top(), shot.text1.top() + shot.text1.height());
    QCOMPARE(shot.command1.top(), shot.text2.top() + 2 * shot.text2.height());
    // Lefts and sizes kept as designed.
    QCOMPARE(shot.image1.topLeft(), QPoint(16, 48));
    QCOMPARE(shot.text1, QRect(72, shot.text1.top(), 201, 18));
    QCOMPARE(shot.text2, QRect(72, shot.text2.top(), 201, 18));
    QCOMPARE(shot.command1, QRect(128, shot.command1.top(), 81, 33));
    // The client area ends 200 twips (13.3 pixels) below the button; the width stays.
    QCOMPARE(shot.client.height(), shot.command1.top() + shot.command1.height() + 13);
    QCOMPARE(shot.client.width(), 340);
}

// The name and copyright line are centred on the outer width, frame included. On the first
// opening the window has no frame of its own yet and the main window's frame stands in.
void TestAbout::centresOnTheOuterWidth()
{
    const QMargins mainFrame = marginsOf(m_form.get());
    QVERIFY(!mainFrame.isNull());
    const Snapshot shot = runOpening([this] { openFromMenu(); });
    QVERIFY(shot.opened);
    QCOMPARE(shot.frame, mainFrame);
    const int outerWidth = shot.client.width() + mainFrame.left() + mainFrame.right();
    QVERIFY(qAbs(2 * shot.label1.left() + shot.label1.width() - outerWidth) <= 1);
    QVERIFY(qAbs(2 * shot.label3.left() + shot.label3.width() - outerWidth) <= 1);
    QVERIFY(2 * shot.label1.left() + shot.label1.width() > shot.client.width());
    // And the whole frame is centred on the screen.
    const QRect area = m_form->screen()->availableGeometry();
    const QSize outer = shot.client.grownBy(shot.frame);
    QVERIFY(qAbs(2 * (shot.frameTopLeft.x() - area.x()) + outer.width() - area.width()) <= 1);
    QVERIFY(qAbs(2 * (shot.frameTopLeft.y() - area.y()) + outer.height() - area.height()) <= 1);
}

// The first opening is left by the frame's close box with the focus moved on; the second
// opening starts again from the design values.
void TestAbout::secondOpeningGivesTheSameLayout()
{
    const Snapshot first = runOpening([this] { openFromMenu(); },
                                      [](frmAbout &about) {
                                          QTest::keyClick(about.Command1, Qt::Key_Tab);
                                          about.Text1->selectAll();
                                          about.close();
                                      });
    QVERIFY(first.opened);
    QVERIFY(first.closed);
    const Snapshot second = runOpening([this] { openFromMenu(); });
    QVERIFY(second.opened);
    QCOMPARE(second.focus, QStringLiteral("Command1"));
    QCOMPARE(second.texts, first.texts);
    QCOMPARE(second.controls(), first.controls());
    QCOMPARE(second.client, first.client);
    QCOMPARE(second.frameTopLeft, first.frameTopLeft);
}

void TestAbout::openAndClose_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::addColumn<int>("presses");
    QTest::newRow("menu item") << false << 1;
    QTest::newRow("Alt+A") << true << 1;
    // The second press comes before the window opens, as a held key's repeat can.
    QTest::newRow("Alt+A twice") << true << 2;
}

// Opening either way runs one modal loop that Enter on the focused "OK" ends.
void TestAbout::openAndClose()
{
    QFETCH(bool, byKeyboard);
    QFETCH(int, presses);
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    const Snapshot shot = runOpening([&] {
        for (int i = 0; i < presses; ++i) {
            if (byKeyboard)
                QTest::keyClick(m_form.get(), Qt::Key_A, Qt::AltModifier);
            else
                openFromMenu();
        }
    });
    QVERIFY(shot.opened);
    QVERIFY(shot.closed);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

// Input is sent through the window system, as the user's would be; events handed straight to a
// widget would pass by the modal block.
void TestAbout::mainWindowTakesNoInputMeanwhile()
{
    QWindow *mainWindow = m_form->windowHandle();
    const auto click = [this, mainWindow](QWidget *control, QPoint at) {
        QTest::mouseClick(mainWindow, Qt::LeftButton, {}, control->mapTo(m_form.get(), at));
    };
    const auto clickCheck1 = [this, click] { click(m_form->Check1, QPoint(8, 8)); };
    int openings = 0;
    const Snapshot shot = runOpening([this] { openFromMenu(); },
                                     [&](frmAbout &) {
                                         connect(m_form->mnuAbout, &QAction::triggered, this,
                                                 [&openings] { ++openings; });
                                         clickCheck1();
                                         QTest::keyClick(mainWindow, Qt::Key_A, Qt::AltModifier);
                                         QMenuBar *bar = m_form->menuBar();
                                         click(bar, bar->actionGeometry(m_form->mnuAbout).center());
                                     });
    QVERIFY(shot.opened);
    QVERIFY(shot.closed);
    QCOMPARE(openings, 0);
    QCOMPARE(m_form->Check1->checkState(), Qt::Unchecked);
    // Afterwards the main window reacts again.
    clickCheck1();
    QCOMPARE(m_form->Check1->checkState(), Qt::Checked);
}

void TestAbout::closesOnlyByOk_data()
{
    QVERIFY(addTestRows(QStringLiteral("about/closing-keys.json")));
}

// Keys go through the window system to whichever control real Tabs left the focus on.
void TestAbout::closesOnlyByOk()
{
    QFETCH(int, tabs);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, closes);
    bool closedByKey = false;
    QString focus;
    const Snapshot shot =
        runOpening([this] { openFromMenu(); },
                   [&](frmAbout &about) {
                       QWindow *window = about.windowHandle();
                       for (int i = 0; i < tabs; ++i)
                           QTest::keyClick(window, Qt::Key_Tab);
                       focus = QApplication::focusWidget()->objectName();
                       QTest::keyClick(window, keys[0].key(), keys[0].keyboardModifiers());
                       closedByKey = !about.isVisible();
                   });
    QVERIFY(shot.opened);
    QCOMPARE(focus, QStringList({"Command1", "Text1", "Text2"}).at(tabs));
    QCOMPARE(closedByKey, closes);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

TYPORAMA_TEST_MAIN(TestAbout)
#include "tst_about.moc"
