#include "app/form1.h"

#include "colour/channel_keys.h"
#include "colour/channel_text.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QRadioButton>

#include <optional>

// The two channel groups share every step; they differ only in their boxes and the colour
// property their boxes feed.

namespace {

using Group = std::array<toolkit::TextBox *, 3>;

// Only the characters of the base in force get into a box by typing; both groups alike.
void filterKey(bool decimalMode, int &keyAscii)
{
    if (!colour::acceptsKey(keyAscii, decimalMode))
        keyAscii = 0;
}

// A typed character then replaces the whole content.
void selectWhole(toolkit::TextBox *box)
{
    box->setSelStart(0);
    box->setSelLength(box->text().length());
}

// Every write below that changes the box's text runs this same handling again, nested, before
// the write returns; the written forms are fixed points, so the nesting stops after one level.
template <typename SetColour>
void channelChange(toolkit::TextBox *box, const Group &group, bool decimal, SetColour setColour)
{
    if (box->text().isEmpty())
        return;
    if (decimal) {
        if (const std::optional<QString> form =
                colour::shortestDecimal(colour::readDecimal(box->text())))
            box->setText(*form);
        if (colour::readDecimal(box->text()) > colour::channelCap)
            box->setText(QStringLiteral("255"));
        // A box that is empty or no numeral holds the colour back in decimal.
        if (const std::optional<QColor> built =
                colour::decimalColourOf(group[0]->text(), group[1]->text(), group[2]->text()))
            setColour(*built);
        return;
    }
    // Hexadecimal text stays as typed, letter case and leading zeros included.
    if (colour::readHex(box->text()) > colour::channelCap)
        box->setText(QStringLiteral("FF"));
    setColour(colour::hexColourOf(group[0]->text(), group[1]->text(), group[2]->text()));
}

} // namespace

void Form1::TextC_KeyPress(int, int &KeyAscii)
{
    filterKey(DecimalMode, KeyAscii);
}

void Form1::TextCM_KeyPress(int, int &KeyAscii)
{
    filterKey(DecimalMode, KeyAscii);
}

void Form1::TextC_GotFocus(int Index)
{
    selectWhole(TextC[Index]);
}

void Form1::TextCM_GotFocus(int Index)
{
    selectWhole(TextCM[Index]);
}

void Form1::TextC_Change(int Index)
{
    channelChange(TextC[Index], TextC, Option3->isChecked(),
                  [this](const QColor &colour) { Picture1->setBackColor(colour); });
}

void Form1::TextCM_Change(int Index)
{
    channelChange(TextCM[Index], TextCM, Option3->isChecked(),
                  [this](const QColor &colour) { Label1->setForeColor(colour); });
}
