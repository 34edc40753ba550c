#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/charcode.h"
#include "toolkit/textbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSignalSpy>
#include <QTest>

// The text box's events: character codes before insertion, change nested in program writes.
class TextBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void keysGiveCharacterCodes_data();
    void keysGiveCharacterCodes();
    void keysWithoutCodeNeverReachTheFilter_data();
    void keysWithoutCodeNeverReachTheFilter();
    void filterCanSwallowOrReplaceTheCharacter_data();
    void filterCanSwallowOrReplaceTheCharacter();
    void inputMethodCommitsPassTheFilter();
    void compositionLeavesTheTextAlone_data();
    void compositionLeavesTheTextAlone();
    void programWriteRaisesChangeNestedInsideIt();
    void identicalWriteRaisesNothingAndKeepsTheSelection();
    void gotFocusIsRaisedAndSelectionCanBeSet();
};

void TextBoxTest::keysGiveCharacterCodes_data()
{
    QVERIFY(addTestRows(QStringLiteral("text-box/character-codes.json")));
}

void TextBoxTest::keysGiveCharacterCodes()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, text);
    QFETCH(int, code);
    const QKeyCombination key = keys.isEmpty() ? QKeyCombination(Qt::Key_unknown) : keys[0];
    const QKeyEvent event(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    QCOMPARE(toolkit::charCode(event), std::optional<int>(code));
}

void TextBoxTest::keysWithoutCodeNeverReachTheFilter_data()
{
    QVERIFY(addTestRows(QStringLiteral("text-box/keys-without-code.json")));
}

void TextBoxTest::keysWithoutCodeNeverReachTheFilter()
{
    QFETCH(QKeySequence, keys);
    toolkit::TextBox box;
    box.setText(QStringLiteral("128"));
    QSignalSpy keyPress(&box, &toolkit::TextBox::keyPress);
    QTest::keyClick(&box, keys[0].key(), keys[0].keyboardModifiers());
    QCOMPARE(keyPress.count(), 0);
    QCOMPARE(box.text(), QStringLiteral("128"));
}

void TextBoxTest::filterCanSwallowOrReplaceTheCharacter_data()
{
    QTest::addColumn<int>("answer"); // -1 leaves the code as it came
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("accepted") << -1 << "ab"
                              << "ab";
    QTest::newRow("swallowed") << 0 << "ab"
                               << "";
    QTest::newRow("replaced") << int('Z') << "ab"
                              << "ZZ";
}

void TextBoxTest::filterCanSwallowOrReplaceTheCharacter()
{
    QFETCH(int, answer);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    toolkit::TextBox box;
    QList<int> codes;
    connect(&box, &toolkit::TextBox::keyPress, &box, [&](int &keyAscii) {
        codes << keyAscii;
        if (answer >= 0)
            keyAscii = answer;
    });
    QTest::keyClicks(&box, typed);
    QCOMPARE(box.text(), text);
    QCOMPARE(codes, (QList<int>{typed.at(0).unicode(), typed.at(1).unicode()}));
}

// One call per character, in order, surrogate pairs as one; what the answers leave goes in.
void TextBoxTest::inputMethodCommitsPassTheFilter()
{
    toolkit::TextBox box;
    QList<int> codes;
    connect(&box, &toolkit::TextBox::keyPress, &box, [&](int &keyAscii) {
        codes << keyAscii;
        keyAscii = keyAscii == 'b' ? 'B' : keyAscii < 0x80 ? keyAscii : 0;
    });
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("a１\U0001F600b"));
    QCoreApplication::sendEvent(&box, &commit);
    QCOMPARE(box.text(), QStringLiteral("aB"));
    QCOMPARE(codes, (QList<int>{'a', 0xFF11, 0x1F600, 'b'}));
}

// An unfinished composition over the selected text changes no text; its commit goes through
// the filter and replaces the selection only with what the filter keeps.
void TextBoxTest::compositionLeavesTheTextAlone_data()
{
    QVERIFY(addTestRows(QStringLiteral("text-box/composition.json")));
}

void TextBoxTest::compositionLeavesTheTextAlone()
{
    QFETCH(QString, commit);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    toolkit::TextBox box;
    box.setText(QStringLiteral("255"));
    box.selectAll();
    connect(&box, &toolkit::TextBox::keyPress, &box, [](int &keyAscii) {
        if (keyAscii > 0x7f)
            keyAscii = 0;
    });
    QStringList changes;
    connect(&box, &toolkit::TextBox::change, &box, [&] { changes << box.text(); });
    QInputMethodEvent composing(QStringLiteral("あ"), {});
    QCoreApplication::sendEvent(&box, &composing);
    QCOMPARE(box.text(), QStringLiteral("255"));
    QInputMethodEvent done;
    done.setCommitString(commit);
    QCoreApplication::sendEvent(&box, &done);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.selectedText(), selected);
    QCOMPARE(changes, text == u"255" ? QStringList() : QStringList{text});
}

// A handler that writes into its own box runs again inside the write, before it returns.
void TextBoxTest::programWriteRaisesChangeNestedInsideIt()
{
    toolkit::TextBox box;
    QStringList trace;
    int depth = 0;
    connect(&box, &toolkit::TextBox::change, &box, [&] {
        ++depth;
        trace << QStringLiteral("%1:%2").arg(depth).arg(box.text());
        if (box.text() == QLatin1String("007"))
            box.setText(QStringLiteral("7"));
        trace << QStringLiteral("end %1").arg(depth);
        --depth;
    });
    QTest::keyClicks(&box, QStringLiteral("007"));
    QCOMPARE(trace,
             (QStringList{"1:0", "end 1", "1:00", "end 1", "1:007", "2:7", "end 2", "end 1"}));
    QCOMPARE(box.text(), QStringLiteral("7"));
}

void TextBoxTest::identicalWriteRaisesNothingAndKeepsTheSelection()
{
    toolkit::TextBox box;
    box.setText(QStringLiteral("255"));
    box.setSelection(1, 2);
    QSignalSpy change(&box, &toolkit::TextBox::change);
    box.setText(QStringLiteral("255"));
    QCOMPARE(change.count(), 0);
    QCOMPARE(box.selStart(), 1);
    QCOMPARE(box.selLength(), 2);
    box.setText(QStringLiteral("25"));
    QCOMPARE(change.count(), 1);
}

void TextBoxTest::gotFocusIsRaisedAndSelectionCanBeSet()
{
    QWidget window;
    auto *first = new toolkit::TextBox(&window);
    auto *box = new toolkit::TextBox(&window);
    box->move(0, 30);
    box->setText(QStringLiteral("128"));
    connect(box, &toolkit::TextBox::gotFocus, box, [box] {
        box->setSelStart(0);
        box->setSelLength(static_cast<int>(box->text().size()));
    });
    QSignalSpy gotFocus(box, &toolkit::TextBox::gotFocus);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    // A click that brings the focus keeps the whole text selected, so typing replaces it.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, box->height() / 2));
    QCOMPARE(gotFocus.count(), 1);
    QCOMPARE(box->selectedText(), QStringLiteral("128"));
    QTest::keyClicks(box, QStringLiteral("9"));
    QCOMPARE(box->text(), QStringLiteral("9"));
}

TYPORAMA_TEST_MAIN(TextBoxTest)
#include "tst_textbox.moc"
