#include "app/form1.h"
#include "support/fakefonts.h"
#include "fonts/fonts.h"
#include "toolkit/twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QPushButton>
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
    void tabWalksTheDesignedOrder();
    void windowCannotBeResizedOrMaximised();
    void menuHasOneItemWithoutSubItems();

private:
    FakeFonts m_fonts{{QStringLiteral("IPAPGothic")}};
    std::unique_ptr<Form1> m_form;
};

void Form1Layout::initTestCase()
{
    toolkit::initialiseFonts();
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
    const auto row = [](const char *name, const char *container, const char *caption, int l,
                        int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                            << QString::fromUtf8(caption) << QRect(l, t, w, h);
    };
    row("Frame1", "client", "背景の色", 120, 120, 1335, 1695);
    row("Label2", "Frame1", "赤：", 120, 240, 375, 255);
    row("Label3", "Frame1", "緑：", 120, 720, 375, 255);
    row("Label4", "Frame1", "青：", 120, 1200, 375, 255);
    row("TextC(0)", "Frame1", "255", 480, 240, 615, 270);
    row("TextC(1)", "Frame1", "255", 480, 720, 615, 270);
    row("TextC(2)", "Frame1", "255", 480, 1200, 615, 270);
    row("Frame2", "client", "文字の色", 1560, 120, 1335, 1695);
    row("Label5", "Frame2", "赤：", 120, 240, 375, 255);
    row("Label6", "Frame2", "緑：", 120, 720, 375, 255);
    row("Label7", "Frame2", "青：", 120, 1200, 375, 255);
    row("TextCM(0)", "Frame2", "0", 480, 240, 615, 270);
    row("TextCM(1)", "Frame2", "0", 480, 720, 615, 270);
    row("TextCM(2)", "Frame2", "0", 480, 1200, 615, 270);
    row("Frame4", "client", "色指定方法", 3000, 120, 3375, 855);
    row("Option3", "Frame4", "10進数で指定(0〜255)", 120, 240, 2175, 255);
    row("Option4", "Frame4", "16進数で指定(0〜FF)", 120, 480, 2175, 255);
    row("Frame3", "client", "フォントネーム", 3000, 1080, 3375, 735);
    row("Combo1", "Frame3", "ＭＳ Ｐゴシック", 120, 240, 2175, 300);
    row("Command1", "Frame3", "切り替え", 2400, 240, 855, 375);
    row("Frame5", "client", "サイズ、形", 120, 1920, 4575, 975);
    row("HScroll1", "Frame5", "", 120, 240, 3495, 255);
    row("Label8", "Frame5", "36", 3720, 240, 615, 255);
    row("Check1", "Frame5", "太字", 240, 600, 855, 255);
    row("Check2", "Frame5", "斜体", 1200, 600, 855, 300);
    row("Check3", "Frame5", "下線", 2160, 600, 855, 255);
    row("Check4", "Frame5", "取り消し線", 3120, 600, 1215, 255);
    row("Frame6", "client", "バック画像", 4800, 1920, 1575, 975);
    row("Command2", "Frame6", "読込", 120, 240, 1215, 255);
    row("Command3", "Frame6", "消去", 120, 600, 1215, 255);
    row("Picture1", "client", "", 120, 3000, 6255, 1695);
    row("Picture2", "client", "", 0, 0, 615, 375);
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
    QVERIFY2(needed <= button->width(),
             qPrintable(QStringLiteral("%1 needs %2 px, has %3").arg(name).arg(needed).arg(button->width())));
    QVERIFY(button->fontMetrics().height() <= button->height());
}

void Form1Layout::tabWalksTheDesignedOrder()
{
    const QStringList order = {"Picture1", "TextC(0)", "TextC(1)", "TextC(2)", "TextCM(0)",
                               "TextCM(1)", "TextCM(2)", "Combo1", "Command1", "Option3",
                               "HScroll1", "Check1", "Check2", "Check3", "Check4",
                               "Command2", "Command3"};
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

QTEST_MAIN(Form1Layout)
#include "tst_form1_layout.moc"
