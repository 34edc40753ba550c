#include "app/form1.h"
#include "colour/channel_text.h"
#include "support/loadedform.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

#include <array>

namespace {

constexpr quint32 seed = 20240517;
constexpr int eventCount = 10000;

// Keys a user might press in a channel box, filtered or not.
const QString typedKeys = QStringLiteral("0123456789abcdefABCDEFgxz-.+e ");

// Pieces that pasted texts are made of: everything the readings treat specially.
const QStringList pastePieces = {
    "0",    "7",  "12",  "255", "256", "ff",  "0FF", "c8",      "x",  "-",
    ".",    "5.", "1.5", "e",   "E-2", " ",   "\t",  "\n",      "+",  "1e400",
    "1e-9", "g",  "2.5", "AB",  "00",  "300", "-0",  "32767.5", "Ｆ", "9999999999999999999999"};

struct Events
{
    QRandomGenerator random{seed};

    int below(int bound) { return static_cast<int>(random.bounded(bound)); }

    QString pastedText()
    {
        QString text;
        const int pieces = below(4);
        for (int i = 0; i < pieces; ++i)
            text += pastePieces[below(pastePieces.size())];
        if (below(50) == 0)
            text += QString(2000 + below(2000), u"9F0"[below(3)]);
        return text;
    }
};

toolkit::TextBox *boxAt(const Form1 &form, int index)
{
    return index < 3 ? form.TextC[index] : form.TextCM[index - 3];
}

// Where the caret or selection stands before an edit: anywhere in the text.
void placeCaret(Events &events, toolkit::TextBox *box)
{
    const int length = static_cast<int>(box->text().size());
    const int start = events.below(length + 1);
    box->setSelection(start, events.below(length - start + 1));
}

QString describe(const Form1 &form)
{
    QStringList texts;
    for (int i = 0; i < 6; ++i)
        texts << '"' + boxAt(form, i)->text().left(20) + '"';
    return QStringLiteral("decimal=%1 boxes=%2 back=%3 fore=%4")
        .arg(form.Option3->isChecked())
        .arg(texts.join(u' '), form.Picture1->backColor().name(), form.Label1->foreColor().name());
}

// The invariants that hold between events; an empty string when they all do.
QString violation(const Form1 &form)
{
    const bool decimal = form.Option3->isChecked();
    if (form.DecimalMode != decimal)
        return QStringLiteral("DecimalMode disagrees with Option3");
    for (int i = 0; i < 6; ++i) {
        const QString text = boxAt(form, i)->text();
        if (text.isEmpty())
            continue;
        const double value = decimal ? colour::readDecimal(text) : colour::readHex(text);
        if (value > colour::channelCap)
            return QStringLiteral("box %1 above the cap").arg(i);
        if (decimal && colour::shortestDecimal(value) != text)
            return QStringLiteral("box %1 not in shortest decimal form").arg(i);
    }
    const std::array<const std::array<toolkit::TextBox *, 3> *, 2> groups = {&form.TextC,
                                                                             &form.TextCM};
    const std::array<QColor, 2> shown = {form.Picture1->backColor(), form.Label1->foreColor()};
    for (int g = 0; g < 2; ++g) {
        const auto &boxes = *groups[g];
        // An emptied box leaves the colour as it was until the next edit of the group.
        if (boxes[0]->text().isEmpty() || boxes[1]->text().isEmpty() || boxes[2]->text().isEmpty())
            continue;
        const std::optional<QColor> expected =
            decimal ? colour::decimalColourOf(boxes[0]->text(), boxes[1]->text(), boxes[2]->text())
                    : std::optional<QColor>(colour::hexColourOf(boxes[0]->text(), boxes[1]->text(),
                                                                boxes[2]->text()));
        if (!expected) {
            // A pasted minus sign can make a value below any 16-bit integer: that holds the
            // decimal rebuild back, as an empty box does. Nothing else may.
            const bool tooLow = colour::readDecimal(boxes[0]->text()) < -32768.5 ||
                                colour::readDecimal(boxes[1]->text()) < -32768.5 ||
                                colour::readDecimal(boxes[2]->text()) < -32768.5;
            if (!tooLow)
                return QStringLiteral("group %1 holds a text that does not convert").arg(g);
            continue;
        }
        if (*expected != shown[g])
            return QStringLiteral("group %1 colour is not that of its boxes").arg(g);
    }
    return {};
}

} // namespace

class ColourProperty : public QObject
{
    Q_OBJECT
private slots:
    void randomEditsKeepTheBoxesAndColoursConsistent();
};

void ColourProperty::randomEditsKeepTheBoxesAndColoursConsistent()
{
    LoadedForm form;
    Events events;
    QClipboard *clipboard = QGuiApplication::clipboard();
    int switches = 0;
    int pastes = 0;
    for (int n = 0; n < eventCount; ++n) {
        const int kind = events.below(20);
        QString what;
        if (kind < 2) {
            const bool decimal = events.below(2) == 0;
            (decimal ? form->Option3 : form->Option4)->click();
            what = decimal ? QStringLiteral("click Option3") : QStringLiteral("click Option4");
            ++switches;
        } else if (kind < 7) {
            toolkit::TextBox *box = boxAt(*form, events.below(6));
            placeCaret(events, box);
            const QString text = events.pastedText();
            clipboard->setText(text);
            box->paste();
            what = QStringLiteral("paste \"%1\" into %2").arg(text.left(20), box->objectName());
            ++pastes;
        } else {
            toolkit::TextBox *box = boxAt(*form, events.below(6));
            placeCaret(events, box);
            const int key = events.below(typedKeys.size() + 2);
            if (key == typedKeys.size()) {
                QTest::keyClick(box, Qt::Key_Backspace);
                what = QStringLiteral("backspace");
            } else if (key > typedKeys.size()) {
                QTest::keyClick(box, Qt::Key_Delete);
                what = QStringLiteral("delete");
            } else {
                QTest::keyClick(box, typedKeys[key].toLatin1());
                what = QStringLiteral("type '%1'").arg(typedKeys[key]);
            }
            what += QStringLiteral(" in ") + box->objectName();
        }
        const QString fault = violation(*form);
        QVERIFY2(
            fault.isEmpty(),
            qPrintable(
                QStringLiteral("event %1 (%2): %3; %4").arg(n).arg(what, fault, describe(*form))));
    }
    // The sequence really mixed the three kinds of event.
    QVERIFY(switches > eventCount / 20);
    QVERIFY(pastes > eventCount / 10);
}

TYPORAMA_TEST_MAIN(ColourProperty)
#include "tst_colour_property.moc"
