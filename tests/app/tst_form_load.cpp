#include "app/form1.h"
#include "background/clscomdlg.h"
#include "support/fakefonts.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/combobox.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"
#include "toolkit/window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace {

// Counts the events delivered to it: a posted event arrives only when messages are processed.
class Probe : public QObject
{
public:
    int delivered = 0;
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(event);
    }
};

// A font list that runs a step of the test whenever a name is read during the listing.
class WatchedFonts : public FakeFonts
{
public:
    using FakeFonts::FakeFonts;
    std::function<void(int)> onRead;
    std::optional<QString> font(int index) const override
    {
        if (onRead)
            onRead(index);
        return FakeFonts::font(index);
    }
};

QStringList comboItems(const Form1 &form)
{
    QStringList items;
    for (int i = 0; i < form.Combo1->count(); ++i)
        items << form.Combo1->itemText(i);
    return items;
}

} // namespace

class FormLoad : public QObject
{
    Q_OBJECT
private slots:
    void leavesTheWindowInItsWorkingState();
    void listsExactlyTheGivenNamesInOrder_data();
    void listsExactlyTheGivenNamesInOrder();
    void processesMessagesAfterEveryNameButTheFirst_data();
    void processesMessagesAfterEveryNameButTheFirst();
    void showsTheWaitingStateWhileListing();
    void clicksDuringTheListingReachNoHandler();
};

void FormLoad::leavesTheWindowInItsWorkingState()
{
    FakeFonts fonts({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    Form1 form(fonts);
    form.Form_Load();
    QCOMPARE(form.windowTitle(), QStringLiteral("Typorama"));
    QVERIFY(form.isEnabled());
    QVERIFY(form.isVisible());
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(form.Dlg);
    QCOMPARE(form.Dlg->OwnerhWnd, toolkit::hWnd(&form));
    QVERIFY(form.DecimalMode);
    QCOMPARE(form.Label8->caption(), QStringLiteral("36"));
    QCOMPARE(form.Label1->caption(), QStringLiteral("Aaあぁアァ亜宇"));
    QCOMPARE(form.Label1->fontName(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(form.Label1->fontSize(), 36.0);
    QVERIFY(!form.Label1->fontBold() && !form.Label1->fontItalic());
    QVERIFY(!form.Label1->fontUnderline() && !form.Label1->fontStrikethrough());
    QCOMPARE(form.Label1->foreColor(), QColor(Qt::black));
    QCOMPARE(form.Picture1->backColor(), QColor(Qt::white));
    QCOMPARE(form.Combo1->text(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(form.HScroll1->value(), 36);
    QVERIFY(form.Option3->isChecked() && !form.Option4->isChecked());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(form.TextC[i]->text(), QStringLiteral("255"));
        QCOMPARE(form.TextCM[i]->text(), QStringLiteral("0"));
    }
    // Where the asked-for face is missing, a Japanese face is drawn in its place.
    QVERIFY(form.Label1->drawnFont().family().startsWith(QStringLiteral("IPA")));
}

void FormLoad::listsExactlyTheGivenNamesInOrder_data()
{
    QVERIFY(addTestRows(QStringLiteral("form-load/listed-names.json")));
}

void FormLoad::listsExactlyTheGivenNamesInOrder()
{
    QFETCH(QStringList, names);
    QFETCH(QVariantList, unreadable);
    QFETCH(QStringList, expected);
    QSet<int> skipped;
    for (const QVariant &index : unreadable)
        skipped << index.toInt();
    FakeFonts fonts(names, skipped);
    Form1 form(fonts);
    form.Form_Load();
    QCOMPARE(comboItems(form), expected);
    QCOMPARE(fonts.reads(), std::max<int>(1, names.size()));
    QVERIFY(form.isEnabled());
}

void FormLoad::processesMessagesAfterEveryNameButTheFirst_data()
{
    QVERIFY(addTestRows(QStringLiteral("form-load/message-passes.json")));
}

// Each name read posts an event; it is delivered before the listing ends only where a pass of
// the message pump follows that name.
void FormLoad::processesMessagesAfterEveryNameButTheFirst()
{
    QFETCH(int, count);
    QFETCH(int, unreadable);
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("Font %1").arg(i);
    WatchedFonts fonts(names, unreadable >= 0 ? QSet<int>{unreadable} : QSet<int>{});
    Probe probe;
    QList<int> deliveredBeforeRead;
    fonts.onRead = [&](int) {
        deliveredBeforeRead << probe.delivered;
        QCoreApplication::postEvent(&probe, new QEvent(QEvent::User));
    };
    Form1 form(fonts);
    form.Form_Load();
    // The pass after name i (i >= 1) delivers every event posted so far; none follows name 0.
    QCOMPARE(deliveredBeforeRead.size(), count);
    for (int i = 1; i < count; ++i)
        QCOMPARE(deliveredBeforeRead.at(i), i == 1 ? 0 : i);
    QCOMPARE(probe.delivered, count == 1 ? 0 : count);
    QCoreApplication::processEvents();
    QCOMPARE(probe.delivered, count);
}

void FormLoad::showsTheWaitingStateWhileListing()
{
    WatchedFonts fonts({QStringLiteral("A"), QStringLiteral("B")});
    Form1 *formPtr = nullptr;
    bool checked = false;
    fonts.onRead = [&](int index) {
        if (index != 1)
            return;
        Form1 &form = *formPtr;
        checked = true;
        QVERIFY(form.isVisible());
        QVERIFY(!form.isEnabled());
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(form.windowTitle(), QStringLiteral("フォント読み込み中...しばらくお待ちください"));
        QCOMPARE(form.Label1->caption(), QStringLiteral("フォント読み込み中..."));
        QCOMPARE(form.Label1->fontSize(), 20.0);
        QCOMPARE(form.Label8->caption(), QStringLiteral("36"));
        QCOMPARE(form.Picture1->backColor(), QColor(Qt::white));
        QCOMPARE(form.Label1->foreColor(), QColor(Qt::black));
    };
    Form1 form(fonts);
    formPtr = &form;
    form.Form_Load();
    QVERIFY(checked);
}

void FormLoad::clicksDuringTheListingReachNoHandler()
{
    WatchedFonts fonts({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    Form1 *formPtr = nullptr;
    fonts.onRead = [&](int index) {
        if (index == 1) {
            QTest::mouseClick(formPtr->Check1, Qt::LeftButton);
            QTest::mouseClick(formPtr->Option4, Qt::LeftButton);
        }
    };
    Form1 form(fonts);
    formPtr = &form;
    form.Form_Load();
    QVERIFY(!form.Check1->isChecked());
    QVERIFY(!form.Label1->fontBold());
    QVERIFY(form.Option3->isChecked());
    QVERIFY(form.DecimalMode);
    // After the listing the first click works.
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    QVERIFY(form.Check1->isChecked());
}

TYPORAMA_TEST_MAIN(FormLoad)
#include "tst_form_load.moc"
