#include "app/form1.h"

#include "colour/channel_text.h"
#include "toolkit/textbox.h"

#include <optional>

// The two buttons share every step; they differ in the base they read and the one they write.
// The clicked button is already selected when its handler runs, so the change handling that
// each rewrite raises already reads the rewritten text in the new base.

namespace {

// Rewrites the six boxes one at a time, background group first, each in the new base; a box
// whose value has no text in the new base is left as it is.
template <typename Read, typename Write>
void rewriteBoxes(const Form1 &form, Read read, Write write)
{
    const std::array<toolkit::TextBox *, 6> order = {form.TextC[0],  form.TextC[1],
                                                     form.TextC[2],  form.TextCM[0],
                                                     form.TextCM[1], form.TextCM[2]};
    for (toolkit::TextBox *box : order) {
        if (const std::optional<QString> text = write(read(box->text())))
            box->setText(*text);
    }
}

} // namespace

void Form1::Option3_Click()
{
    if (!DecimalMode)
        rewriteBoxes(*this, colour::readHex, colour::shortestDecimal);
    DecimalMode = true;
    Byouga();
}

void Form1::Option4_Click()
{
    if (DecimalMode)
        rewriteBoxes(*this, colour::readDecimal, colour::switchHex);
    DecimalMode = false;
    Byouga();
}
