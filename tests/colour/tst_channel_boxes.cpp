#include "app/form1.h"
#include "colour/channel_text.h"
#include "support/loadedform.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QMenu>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

namespace {

toolkit::TextBox *boxOf(const Form1 &form, const QString &group, int index)
{
    return group == u"TextC" ? form.TextC[index] : form.TextCM[index];
}

QColor groupColour(const Form1 &form, const QString &group)
{
    return group == u"TextC" ? form.Picture1->backColor() : form.Label1->foreColor();
}

int channelOf(const QColor &colour, int index)
{
    return index == 0 ? colour.red() : index == 1 ? colour.green() : colour.blue();
}

constexpr qsizetype megabyte = 1024 * 1024;

enum class Content { Digits, Letters, Junk };

// A megabyte of text: every character below U+0800 is at most two bytes in UTF-8, the
// clipboard's form, and the junk mixes in three-byte ones, so each text is a megabyte or more.
QString megabyteOf(Content content)
{
    QRandomGenerator random(20240607);
    QString text;
    text.reserve(megabyte);
    static const QString junk = QStringLiteral("0123456789abcdefxyzXYZ .,+-eE\t\n\r\\\"'%&#@!"
                                               "亜宇あぁアァ０１２ＦＦ\u00A0\u200B\u0000\uFFFD");
    while (text.size() < megabyte) {
        switch (content) {
        case Content::Digits:
            text += QChar(u'0' + random.bounded(10));
            break;
        case Content::Letters:
            // Past f, so that no letter is a hexadecimal digit.
            text += QChar(u'g' + random.bounded(20));
            break;
        case Content::Junk:
            text += junk.at(random.bounded(junk.size()));
            break;
        }
    }
    return text;
}

} // namespace

class ChannelBoxes : public QObject
{
    Q_OBJECT
private slots:
    void typing_data();
    void typing();
    void pasting_data();
    void pasting();
    void clipboardKeysAreDiscarded();
    void emptyBox_data();
    void emptyBox();
    void groupsAreIndependent_data();
    void groupsAreIndependent();
    void selectsWholeTextOnFocus_data();
    void selectsWholeTextOnFocus();
    void keyFilter_data();
    void keyFilter();
    void inputMethodEvents_data();
    void inputMethodEvents();
    void keysWithModifiers_data();
    void keysWithModifiers();
    void focusThatNeverLeftSelectsNothing_data();
    void focusThatNeverLeftSelectsNothing();
};

void ChannelBoxes::typing_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-boxes/typing.json")));
}

void ChannelBoxes::typing()
{
    QFETCH(bool, decimal);
    QFETCH(QString, group);
    QFETCH(int, index);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, channel);
    LoadedForm form;
    useBase(*form, decimal);
    toolkit::TextBox *box = boxOf(*form, group, index);
    box->clear();
    QTest::keyClicks(box, keys);
    QCOMPARE(box->text(), text);
    QCOMPARE(channelOf(groupColour(*form, group), index), channel);
}

void ChannelBoxes::pasting_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-boxes/pasting.json")));
    // Pastes too long to write out.
    QTest::newRow("dec a million digits") << true << QString(1'000'000, u'9') << "255" << 255;
    QTest::newRow("hex past a double") << false << QString(1000, u'f') << "FF" << 255;
    QTest::newRow("dec 40,000 zeros then 5") << true << QString(40000, u'0') + u'5' << "5" << 5;
    const QString longHex = QString(39998, u'0') + QStringLiteral("c8");
    QTest::newRow("hex 40,000 characters") << false << longHex << longHex << 200;
    // A megabyte, with no channel given: the box ends within the cap, a decimal one in its
    // shortest form, a hexadecimal one keeping what it took of the paste. Digits read far past
    // the cap; letters read as 0, which a decimal box rewrites and a hexadecimal one keeps.
    const auto megabyteRow = [](const char *name, bool decimal, Content content, const char *text) {
        QTest::newRow(name) << decimal << megabyteOf(content) << QString::fromLatin1(text) << -1;
    };
    megabyteRow("dec a megabyte of digits", true, Content::Digits, "255");
    megabyteRow("dec a megabyte of letters", true, Content::Letters, "0");
    megabyteRow("dec a megabyte of junk", true, Content::Junk, "");
    megabyteRow("hex a megabyte of digits", false, Content::Digits, "FF");
    megabyteRow("hex a megabyte of letters", false, Content::Letters, "");
    megabyteRow("hex a megabyte of junk", false, Content::Junk, "");
}

void ChannelBoxes::pasting()
{
    QFETCH(bool, decimal);
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    QFETCH(int, channel);
    QVERIFY(channel >= 0 || pasted.toUtf8().size() >= megabyte);
    for (const QString &group : {QStringLiteral("TextC"), QStringLiteral("TextCM")}) {
        LoadedForm form;
        useBase(*form, decimal);
        toolkit::TextBox *box = boxOf(*form, group, 1);
        QElapsedTimer clock;
        clock.start();
        pasteOver(box, pasted);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        const QString shown = box->text();
        if (!text.isEmpty())
            QCOMPARE(shown, text);
        if (channel >= 0) {
            QCOMPARE(channelOf(groupColour(*form, group), 1), channel);
        } else {
            const double value = decimal ? colour::readDecimal(shown) : colour::readHex(shown);
            QVERIFY(value <= colour::channelCap);
            if (decimal) {
                QCOMPARE(colour::shortestDecimal(value), std::optional<QString>(shown));
            } else {
                QVERIFY(shown == u"FF" || (!shown.isEmpty() && pasted.startsWith(shown)));
                QCOMPARE(groupColour(*form, group),
                         colour::hexColourOf(boxOf(*form, group, 0)->text(), shown,
                                             boxOf(*form, group, 2)->text()));
            }
        }

        // The box goes on taking typing.
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("7"));
        QCOMPARE(box->text(), QStringLiteral("7"));
        QCOMPARE(channelOf(groupColour(*form, group), 1), 7);
    }
}

void ChannelBoxes::clipboardKeysAreDiscarded()
{
    LoadedForm form;
    toolkit::TextBox *box = form->TextCM[0];
    QGuiApplication::clipboard()->setText(QStringLiteral("12"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("0"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12"));
}

void ChannelBoxes::emptyBox_data()
{
    QTest::addColumn<bool>("decimal");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("blocks");
    QTest::newRow("dec TextC") << true << "TextC" << true;
    QTest::newRow("dec TextCM") << true << "TextCM" << true;
    QTest::newRow("hex TextC") << false << "TextC" << false;
    QTest::newRow("hex TextCM") << false << "TextCM" << false;
}

void ChannelBoxes::emptyBox()
{
    QFETCH(bool, decimal);
    QFETCH(QString, group);
    QFETCH(bool, blocks);
    LoadedForm form;
    useBase(*form, decimal);
    for (int i = 0; i < 3; ++i)
        pasteOver(boxOf(*form, group, i), QStringLiteral("9"));
    const QColor before = groupColour(*form, group);
    QCOMPARE(before, QColor(9, 9, 9));

    // Emptying a box changes nothing by itself.
    boxOf(*form, group, 0)->clear();
    QCOMPARE(boxOf(*form, group, 0)->text(), QString());
    QCOMPARE(groupColour(*form, group), before);

    // An edit of another box of the group: held back in decimal, empty counts 0 in hex.
    boxOf(*form, group, 1)->selectAll();
    QTest::keyClick(boxOf(*form, group, 1), '5');
    QCOMPARE(groupColour(*form, group), blocks ? before : QColor(0, 5, 9));
}

void ChannelBoxes::groupsAreIndependent_data()
{
    QTest::addColumn<bool>("decimal");
    QTest::newRow("dec") << true;
    QTest::newRow("hex") << false;
}

void ChannelBoxes::groupsAreIndependent()
{
    QFETCH(bool, decimal);
    LoadedForm form;
    useBase(*form, decimal);
    const QColor back = form->Picture1->backColor();
    const QColor fore = form->Label1->foreColor();
    QCOMPARE(back, QColor(Qt::white));
    QCOMPARE(fore, QColor(Qt::black));
    for (int i = 0; i < 3; ++i) {
        form->TextCM[i]->selectAll();
        QTest::keyClicks(form->TextCM[i], QStringLiteral("77"));
    }
    const QColor newFore = decimal ? QColor(77, 77, 77) : QColor(0x77, 0x77, 0x77);
    QCOMPARE(form->Label1->foreColor(), newFore);
    QCOMPARE(form->Picture1->backColor(), back);
    for (int i = 0; i < 3; ++i) {
        form->TextC[i]->selectAll();
        QTest::keyClicks(form->TextC[i], QStringLiteral("12"));
    }
    QCOMPARE(form->Picture1->backColor(), decimal ? QColor(12, 12, 12) : QColor(18, 18, 18));
    QCOMPARE(form->Label1->foreColor(), newFore);
}

void ChannelBoxes::selectsWholeTextOnFocus_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("index");
    QTest::newRow("TextC(0)") << "TextC" << 0;
    QTest::newRow("TextC(2)") << "TextC" << 2;
    QTest::newRow("TextCM(1)") << "TextCM" << 1;
}

void ChannelBoxes::selectsWholeTextOnFocus()
{
    QFETCH(QString, group);
    QFETCH(int, index);
    LoadedForm form;
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&*form));
    toolkit::TextBox *box = boxOf(*form, group, index);
    pasteOver(box, QStringLiteral("128"));
    box->setCursorPosition(1);
    form->Picture1->setFocus();
    QVERIFY(!box->hasSelectedText());
    // The toolkit itself selects nothing for this reason; the handler does.
    box->setFocus(Qt::OtherFocusReason);
    QVERIFY(box->hasFocus());
    QCOMPARE(box->selectedText(), QStringLiteral("128"));
    QCOMPARE(box->selStart(), 0);
    QTest::keyClick(box, '4');
    QCOMPARE(box->text(), QStringLiteral("4"));
}

void ChannelBoxes::keyFilter_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-boxes/key-filter.json")));
}

void ChannelBoxes::keyFilter()
{
    QFETCH(bool, decimal);
    QFETCH(QString, character);
    QFETCH(bool, accepted);
    const int code = character.at(0).unicode();
    LoadedForm form;
    useBase(*form, decimal);
    for (int index = 0; index < 3; ++index) {
        int background = code;
        form->TextC_KeyPress(index, background);
        QCOMPARE(background, accepted ? code : 0);
        int text = code;
        form->TextCM_KeyPress(index, text);
        QCOMPARE(text, accepted ? code : 0);
    }
    if (code < 0x20)
        return;
    // Typed in front of a digit, where a character that got through would show in either base.
    toolkit::TextBox *box = form->TextC[0];
    pasteOver(box, QStringLiteral("1"));
    box->setCursorPosition(0);
    QTest::keyClick(box, char(code));
    const QString typed = QString(QChar(code)) + u'1';
    const QString kept = decimal ? QString::number(typed.toInt()) : typed;
    QCOMPARE(box->text(), accepted ? kept : QStringLiteral("1"));
}

// The box holds 255 (FF), all selected as after a focus change; an input method sends one event
// (composition, commit, text to delete counted from the caret at the end), then ends with a
// commit, or with nothing as Esc does. What is committed goes through the key filter one
// character at a time, and the text changes only by what the event names and the filter lets
// through; a read-only box keeps its text and selection, and draws no composition. The input
// method is told the text before the caret, from which an on-screen keyboard's Backspace names
// what to delete.
void ChannelBoxes::inputMethodEvents_data()
{
    QVERIFY(addTestRows(QStringLiteral("input-method/channel-box.json")));
}

void ChannelBoxes::inputMethodEvents()
{
    QFETCH(bool, decimal);
    QFETCH(bool, readOnly);
    QFETCH(QString, preedit);
    QFETCH(QString, commit);
    QFETCH(int, from);
    QFETCH(int, length);
    // The filter's answers, in order: \0 for a character discarded, \b for one deleted.
    QFETCH(QString, answers);
    QFETCH(QStringList, texts); // after the first event, then at the end
    QFETCH(QString, end);
    QFETCH(bool, selected);
    LoadedForm form;
    useBase(*form, decimal);
    toolkit::TextBox *box = form->TextC[0];
    box->setReadOnly(readOnly);
    box->selectAll();
    QString seen;
    QObject::connect(box, &toolkit::TextBox::keyPress, box,
                     [&](int &code) { seen += QChar(code); });
    const auto red = [&] { return form->Picture1->backColor().red(); };
    const QImage drawn = box->grab().toImage();
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit, from, length);
    QCoreApplication::sendEvent(box, &event);
    QCOMPARE(box->text(), texts[0]);
    QCOMPARE(red(), texts[0].toInt(nullptr, decimal ? 10 : 16));
    QCOMPARE(box->inputMethodQuery(Qt::ImTextBeforeCursor),
             QVariant(texts[0].first(box->cursorPosition())));
    QCOMPARE(box->inputMethodQuery(Qt::ImEnabled).toBool(), !readOnly);
    QVERIFY(!readOnly || box->grab().toImage() == drawn);
    QInputMethodEvent last;
    last.setCommitString(end);
    QCoreApplication::sendEvent(box, &last);
    QCOMPARE(seen, answers);
    QCOMPARE(box->text(), texts[1]);
    QCOMPARE(box->selectedText(), selected ? texts[1] : QString());
    QCOMPARE(red(), texts[1].toInt(nullptr, decimal ? 10 : 16));
}

// Keys that type no character leave a selected 255 (FF) as it is; Ctrl+H is a backspace.
void ChannelBoxes::keysWithModifiers_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-boxes/keys-with-modifiers.json")));
}

void ChannelBoxes::keysWithModifiers()
{
    QFETCH(bool, decimal);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, selected);
    QFETCH(QString, text);
    LoadedForm form;
    useBase(*form, decimal);
    toolkit::TextBox *box = form->TextC[0];
    if (selected)
        box->selectAll();
    else
        box->end(false);
    QTest::keyClick(box, keys[0].key(), keys[0].keyboardModifiers());
    QCOMPARE(box->text(), text);
    QCOMPARE(form->Picture1->backColor().red(), decimal ? text.toInt() : text.toInt(nullptr, 16));
}

// The focus comes back to the box from its own context menu or with its window: the caret
// stays where it was, so a paste or a typed digit goes in there.
void ChannelBoxes::focusThatNeverLeftSelectsNothing_data()
{
    QTest::addColumn<bool>("contextMenu");
    QTest::newRow("context menu Paste") << true;
    QTest::newRow("window re-activated") << false;
}

void ChannelBoxes::focusThatNeverLeftSelectsNothing()
{
    QFETCH(bool, contextMenu);
    LoadedForm form;
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&*form));
    toolkit::TextBox *box = form->TextCM[0];
    pasteOver(box, QStringLiteral("12"));
    box->setFocus(Qt::TabFocusReason);
    box->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    if (contextMenu) {
        const QPoint at = box->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, box->mapToGlobal(at));
        QCoreApplication::sendEvent(box, &request);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *paste = nullptr;
        for (QAction *action : menu->actions()) {
            // The menu's texts are Qt's own, in the language of its loaded catalogue.
            if (action->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste")))
                paste = action;
        }
        QVERIFY(paste && paste->isEnabled());
        menu->setActiveAction(paste);
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY(box->hasFocus());
    } else {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*form));
        QVERIFY(box->hasFocus());
        QTest::keyClick(box, '3');
    }
    QCOMPARE(box->text(), QStringLiteral("132"));
    QCOMPARE(form->Label1->foreColor().red(), 132);
}

TYPORAMA_TEST_MAIN(ChannelBoxes)
#include "tst_channel_boxes.moc"
