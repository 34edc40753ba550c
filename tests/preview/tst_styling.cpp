#include "app/form1.h"
#include "support/fakefonts.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/combobox.h"
#include "toolkit/label.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <memory>

namespace {

const QString startFace = QStringLiteral("ＭＳ Ｐゴシック");

// What the sample's font is now, attribute by attribute.
struct FontState
{
    QString name;
    double size;
    bool bold, italic, underline, strikethrough;
    friend bool operator==(const FontState &, const FontState &) = default;
};

FontState fontOf(const toolkit::Label *label)
{
    return {label->fontName(),   label->fontSize(),      label->fontBold(),
            label->fontItalic(), label->fontUnderline(), label->fontStrikethrough()};
}

QCheckBox *styleBox(Form1 &form, int number)
{
    const std::array<QCheckBox *, 4> boxes = {form.Check1, form.Check2, form.Check3, form.Check4};
    return boxes.at(number - 1);
}

bool &styleOf(FontState &state, int number)
{
    const std::array<bool *, 4> styles = {&state.bold, &state.italic, &state.underline,
                                          &state.strikethrough};
    return *styles.at(number - 1);
}

QRect thumbRect(const toolkit::HScrollBar *bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        bar);
}

void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class Styling : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void styleBoxOnAndOff_data();
    void styleBoxOnAndOff();
    void greyedBoxClears_data();
    void greyedBoxClears();
    void listChoiceAppliesAtOnce();
    void typedNameAppliesOnSwitch_data();
    void typedNameAppliesOnSwitch();
    void emptyNameKeepsUsableFace();
    void leavingTheBoxAppliesNothing_data();
    void leavingTheBoxAppliesNothing();
    void arrowKeysInClosedBoxChooseEntries();
    void sizeIsTheBarValue_data();
    void sizeIsTheBarValue();
    void barEndsGiveOneAndSeventyTwo();
    void arrowAndTroughReachTheSize();
    void dragFollowsContinuously();
    void boldSurvivesFaceAndSize();

private:
    std::unique_ptr<FakeFonts> m_fonts;
    std::unique_ptr<Form1> m_form;
};

void Styling::initTestCase()
{
    m_fonts = std::make_unique<FakeFonts>(
        QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                    QStringLiteral("IPAGothic"), QStringLiteral("IPAPMincho")});
}

void Styling::init()
{
    m_form = std::make_unique<Form1>(*m_fonts);
    m_form->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void Styling::cleanup()
{
    m_form.reset();
}

void Styling::styleBoxOnAndOff_data()
{
    QVERIFY(addTestRows(QStringLiteral("styling/style-boxes.json")));
}

void Styling::styleBoxOnAndOff()
{
    QFETCH(int, number);
    Form1 &form = *m_form;
    const FontState before = fontOf(form.Label1);
    QCOMPARE(before, (FontState{startFace, 36, false, false, false, false}));

    QTest::mouseClick(styleBox(form, number), Qt::LeftButton);
    FontState expected = before;
    styleOf(expected, number) = true;
    QCOMPARE(fontOf(form.Label1), expected);

    QTest::mouseClick(styleBox(form, number), Qt::LeftButton);
    QCOMPARE(fontOf(form.Label1), before);
}

void Styling::greyedBoxClears_data()
{
    styleBoxOnAndOff_data();
}

void Styling::greyedBoxClears()
{
    QFETCH(int, number);
    Form1 &form = *m_form;
    QCheckBox *box = styleBox(form, number);
    QTest::mouseClick(box, Qt::LeftButton);
    FontState state = fontOf(form.Label1);
    QVERIFY(styleOf(state, number));

    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
    const std::array<void (Form1::*)(), 4> handlers = {&Form1::Check1_Click, &Form1::Check2_Click,
                                                       &Form1::Check3_Click, &Form1::Check4_Click};
    (form.*handlers.at(number - 1))();
    styleOf(state, number) = false;
    QCOMPARE(fontOf(form.Label1), state);

    // Value 1 sets, it does not toggle: a second handler run with the box ticked keeps it on.
    box->setCheckState(Qt::Checked);
    (form.*handlers.at(number - 1))();
    (form.*handlers.at(number - 1))();
    state = fontOf(form.Label1);
    QVERIFY(styleOf(state, number));
}

void Styling::listChoiceAppliesAtOnce()
{
    Form1 &form = *m_form;
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    form.Combo1->showPopup();
    QAbstractItemView *list = form.Combo1->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex serif = list->model()->index(1, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(serif).center());
    QTRY_COMPARE(form.Combo1->text(), QStringLiteral("DejaVu Serif"));
    const FontState chosen{QStringLiteral("DejaVu Serif"), 36, false, true, false, false};
    QCOMPARE(fontOf(form.Label1), chosen);
    QCOMPARE(form.Label1->drawnFont().family(), QStringLiteral("DejaVu Serif"));

    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(fontOf(form.Label1), chosen);
}

void Styling::typedNameAppliesOnSwitch_data()
{
    QVERIFY(addTestRows(QStringLiteral("styling/typed-names.json")));
}

void Styling::typedNameAppliesOnSwitch()
{
    QFETCH(QString, typed);
    Form1 &form = *m_form;
    QLineEdit *edit = form.Combo1->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(form.Combo1->text(), typed);
    QCOMPARE(form.Label1->fontName(), startFace);

    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(fontOf(form.Label1), (FontState{typed, 36, false, false, false, false}));
    QVERIFY(!form.Label1->drawnFont().family().isEmpty());
}

void Styling::emptyNameKeepsUsableFace()
{
    Form1 &form = *m_form;
    form.Combo1->setText(QStringLiteral("DejaVu Sans"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    const QSize sized = form.Label1->size();

    form.Combo1->setText(QString());
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Label1->fontName(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(form.Label1->drawnFont().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(form.Label1->size(), sized);
    QVERIFY(sized.width() > 0 && sized.height() > 0);
}

void Styling::leavingTheBoxAppliesNothing_data()
{
    QVERIFY(addTestRows(QStringLiteral("styling/leaving-the-box.json")));
}

// Only the switch button applies a typed name, and it applies the text as typed: nothing
// completed, nothing respelt by a list entry.
void Styling::leavingTheBoxAppliesNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, byTab);
    Form1 &form = *m_form;
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QSignalSpy clicks(form.Combo1, &toolkit::ComboBox::click);
    form.Combo1->setFocus();
    form.Combo1->lineEdit()->selectAll();
    QTest::keyClick(form.Combo1, Qt::Key_Delete);
    QTest::keyClicks(form.Combo1, typed);
    if (byTab)
        QTest::keyClick(form.Combo1, Qt::Key_Tab);
    else
        QTest::mouseClick(form.TextC[0], Qt::LeftButton);
    QVERIFY(!form.Combo1->hasFocus());
    QCOMPARE(form.Combo1->text(), typed);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(form.Label1->fontName(), startFace);

    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Label1->fontName(), typed);
}

// After start-up the box shows a name but no entry is current: Down takes the first entry.
void Styling::arrowKeysInClosedBoxChooseEntries()
{
    Form1 &form = *m_form;
    QCOMPARE(form.Combo1->currentIndex(), -1);
    form.Combo1->setFocus();
    const QList<std::pair<Qt::Key, QString>> steps = {
        {Qt::Key_Down, QStringLiteral("DejaVu Sans")},
        {Qt::Key_Down, QStringLiteral("DejaVu Serif")},
        {Qt::Key_Up, QStringLiteral("DejaVu Sans")}};
    for (const auto &[key, face] : steps) {
        QTest::keyClick(form.Combo1, key);
        QCOMPARE(form.Combo1->text(), face);
        QCOMPARE(form.Label1->fontName(), face);
    }
}

void Styling::sizeIsTheBarValue_data()
{
    QTest::addColumn<int>("value");
    for (const int value : {1, 2, 9, 35, 37, 71, 72})
        QTest::addRow("%d", value) << value;
}

void Styling::sizeIsTheBarValue()
{
    QFETCH(int, value);
    Form1 &form = *m_form;
    form.HScroll1->setValue(value);
    QCOMPARE(form.Label8->caption(), QString::number(value));
    QCOMPARE(form.Label1->fontSize(), static_cast<double>(value));
    QCOMPARE(form.Label1->drawnFont().pointSizeF(), static_cast<double>(value));
}

void Styling::barEndsGiveOneAndSeventyTwo()
{
    Form1 &form = *m_form;
    form.HScroll1->setFocus();
    QTest::keyClick(form.HScroll1, Qt::Key_End);
    QCOMPARE(form.Label8->caption(), QStringLiteral("72"));
    QCOMPARE(form.Label1->fontSize(), 72.0);
    QTest::keyClick(form.HScroll1, Qt::Key_Home);
    QCOMPARE(form.Label8->caption(), QStringLiteral("1"));
    QCOMPARE(form.Label1->fontSize(), 1.0);
}

void Styling::arrowAndTroughReachTheSize()
{
    Form1 &form = *m_form;
    form.HScroll1->setFocus();
    QTest::keyClick(form.HScroll1, Qt::Key_Right);
    QCOMPARE(form.Label8->caption(), QStringLiteral("37"));
    QCOMPARE(form.Label1->fontSize(), 37.0);

    // A click in the trough right of the thumb moves one page.
    const QRect thumb = thumbRect(form.HScroll1);
    const QPoint trough(thumb.right() + 10, thumb.center().y());
    QTest::mouseClick(form.HScroll1, Qt::LeftButton, {}, trough);
    QCOMPARE(form.HScroll1->value(), 42);
    QCOMPARE(form.Label8->caption(), QStringLiteral("42"));
    QCOMPARE(form.Label1->fontSize(), 42.0);

    // The right arrow button, at the bar's right end, moves one step.
    const QPoint arrow(form.HScroll1->width() - 3, form.HScroll1->height() / 2);
    QTest::mouseClick(form.HScroll1, Qt::LeftButton, {}, arrow);
    QCOMPARE(form.Label8->caption(), QStringLiteral("43"));
    QCOMPARE(form.Label1->fontSize(), 43.0);
}

// While the thumb is held and moved, every step shows at once; the release writes it again.
void Styling::dragFollowsContinuously()
{
    Form1 &form = *m_form;
    toolkit::HScrollBar *bar = form.HScroll1;
    int scrolls = 0;
    connect(bar, &toolkit::HScrollBar::scroll, this, [&] { ++scrolls; });
    QPoint at = thumbRect(bar).center();
    sendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    QVERIFY(bar->isSliderDown());
    for (int step = 0; step < 5; ++step) {
        at += QPoint(12, 0);
        sendMouse(bar, QEvent::MouseMove, at, Qt::LeftButton);
        QVERIFY(bar->value() > 36);
        QCOMPARE(form.Label8->caption(), QString::number(bar->value()));
        QCOMPARE(form.Label1->fontSize(), static_cast<double>(bar->value()));
    }
    QCOMPARE(scrolls, 5);
    const int dragged = bar->value();
    sendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    QCOMPARE(bar->value(), dragged);
    QCOMPARE(form.Label8->caption(), QString::number(dragged));
    QCOMPARE(form.Label1->fontSize(), static_cast<double>(dragged));
}

void Styling::boldSurvivesFaceAndSize()
{
    Form1 &form = *m_form;
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    form.Combo1->setText(QStringLiteral("DejaVu Serif"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    form.HScroll1->setValue(50);
    QCOMPARE(fontOf(form.Label1),
             (FontState{QStringLiteral("DejaVu Serif"), 50, true, false, false, false}));
    QVERIFY(form.Label1->drawnFont().bold());
}

TYPORAMA_TEST_MAIN(Styling)
#include "tst_styling.moc"
