#include "app/form1.h"
#include "app/form1_layout.h"
#include "support/fakefonts.h"
#include "support/testmain.h"
#include "toolkit/twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "toolkit/label.h"
#include "toolkit/picturebox.h"

// The window as laid out: names, containers, captions, geometry in twips, focus order.
class Form1Layout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void controlsStayInsideTheirContainers();
    void tabWalksTheDesignedOrder();
    void windowCannotBeResizedOrMaximised();
    void menuHasOneItemWithoutSubItems();

private:
    FakeFonts m_fonts{{QStringLiteral("IPAPGothic")}};
    std::unique_ptr<Form1> m_form;
};

void Form1Layout::initTestCase()
{
    m_form = std::make_unique<Form1>(m_fonts);
    m_form->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void Form1Layout::controlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    // Every control the layout names, where the layout puts it, with its caption once the
    // window is loaded: start-up writes the size into Label8 and the face into Combo1.
    for (const form1layout::Control &c : form1layout::controls) {
        if (c.name == "Label1")
            continue; // grows with its text; the preview tests check it
        const auto text = [](std::string_view s) {
            return QString::fromUtf8(s.data(), qsizetype(s.size()));
        };
        QString caption = text(c.caption);
        if (c.name == "Label8")
            caption = QStringLiteral("36");
        else if (c.name == "Combo1")
            caption = QStringLiteral("ＭＳ Ｐゴシック");
        QTest::newRow(c.name.data())
            << text(c.name) << text(c.container) << caption
            << QRect(c.place.left, c.place.top, c.place.width, c.place.height);
    }
}

namespace {

QString captionOf(QWidget *widget)
{
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        return frame->title();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<toolkit::Label *>(widget))
        return label->caption();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *edit = widget->findChild<QLineEdit *>())
        return edit->text();
    return {};
}

} // namespace

void Form1Layout::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    auto *control = m_form->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(captionOf(control), caption);
    if (name != QLatin1String("Picture2")) {
        QCOMPARE(toolkit::twipsLeft(control), double(twips.left()));
        QCOMPARE(toolkit::twipsTop(control), double(twips.top()));
        QCOMPARE(toolkit::twipsWidth(control), double(twips.width()));
        QCOMPARE(toolkit::twipsHeight(control), double(twips.height()));
    }
}

void Form1Layout::captionsFitTheirControls_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Option3", "Option4", "Command1", "Check1", "Check2", "Check3",
                             "Check4", "Command2", "Command3"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The user-interface font is chosen so that the Japanese captions are not clipped.
void Form1Layout::captionsFitTheirControls()
{
    QFETCH(QString, name);
    auto *button = m_form->findChild<QAbstractButton *>(name);
    QVERIFY(button);
    // A push button needs a little room on each side; a check or option box also its indicator.
    const int text = button->fontMetrics().horizontalAdvance(button->text());
    int needed = text + 6;
    if (!qobject_cast<QPushButton *>(button)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool radio = qobject_cast<QRadioButton *>(button);
        const QRect contents = button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
        needed = contents.left() + text;
    }
    QVERIFY2(
        needed <= button->width(),
        qPrintable(
            QStringLiteral("%1 needs %2 px, has %3").arg(name).arg(needed).arg(button->width())));
    QVERIFY(button->fontMetrics().height() <= button->height());
}

// Read from the live widgets, not the table they were made from: a control reaching past its
// frame or the client area is clipped there, and two siblings that overlap hide one another.
// The sample text alone grows past its canvas, which clips it by design. The layout's twips let
// a caption's blank edge run one pixel under its neighbour (赤： under its box, one option under
// the next); more than that is an overlap.
void Form1Layout::controlsStayInsideTheirContainers()
{
    QList<QWidget *> controls;
    for (const form1layout::Control &c : form1layout::controls) {
        auto *control =
            m_form->findChild<QWidget *>(QString::fromUtf8(c.name.data(), c.name.size()));
        if (control && control->isVisibleTo(m_form.get()) && c.name != "Label1")
            controls << control;
    }
    QStringList faults;
    for (QWidget *control : std::as_const(controls)) {
        QWidget *container = control->parentWidget();
        if (!container->rect().contains(control->geometry()))
            faults << control->objectName() + QStringLiteral(" reaches past ") +
                          container->objectName();
        for (QWidget *other : std::as_const(controls)) {
            const QRect shared = control->geometry() & other->geometry();
            if (control < other && other->parentWidget() == container &&
                std::min(shared.width(), shared.height()) > 1)
                faults << control->objectName() + QStringLiteral(" overlaps ") +
                              other->objectName();
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

void Form1Layout::tabWalksTheDesignedOrder()
{
    const QStringList order = {"Picture1",  "TextC(0)",  "TextC(1)", "TextC(2)", "TextCM(0)",
                               "TextCM(1)", "TextCM(2)", "Combo1",   "Command1", "Option3",
                               "HScroll1",  "Check1",    "Check2",   "Check3",   "Check4",
                               "Command2",  "Command3"};
    m_form->activateWindow();
    // The canvas, first in the order, has the focus when the window comes up.
    QVERIFY(QTest::qWaitFor([&] { return m_form->Picture1->hasFocus(); }));
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        // The combo box's edit field holds the focus on behalf of the combo box.
        while (focus && focus->objectName().isEmpty())
            focus = focus->parentWidget();
        QVERIFY(focus);
        QCOMPARE(focus->objectName(), order.at(i));
    }
}

void Form1Layout::windowCannotBeResizedOrMaximised()
{
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QCOMPARE(m_form->centralWidget()->size(), QSize(433, 321));
}

void Form1Layout::menuHasOneItemWithoutSubItems()
{
    const QList<QAction *> actions = m_form->menuBar()->actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions.first()->text(), QStringLiteral("バージョン情報(&A)"));
    QVERIFY(!actions.first()->menu());
    QCOMPARE(actions.first(), m_form->mnuAbout);
}

TYPORAMA_TEST_MAIN(Form1Layout)
#include "tst_form1_layout.moc"
