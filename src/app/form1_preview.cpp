#include "app/form1.h"

#include "toolkit/combobox.h"
#include "toolkit/label.h"
#include "toolkit/scrollbar.h"

#include <QCheckBox>
#include <QString>

// Each control drives one attribute of the sample's font and leaves the others alone; the
// handlers keep no state, they pass the control's value on as it stands.
namespace {

using StyleSetter = void (toolkit::Label::*)(bool);

// The style follows the box: ticked sets it, unticked or greyed clears it. Setting rather
// than toggling keeps label and box in step whatever happened before.
void applyStyle(const QCheckBox *box, toolkit::Label *sample, StyleSetter setStyle)
{
    const bool ticked = box->checkState() == Qt::Checked;
    (sample->*setStyle)(ticked);
}

// The edit text goes to the font as it is, listed or not; a name the font refuses leaves the
// previous face in place.
void applyFace(const toolkit::ComboBox *faces, toolkit::Label *sample)
{
    const QString name = faces->text();
    sample->setFontName(name);
}

// The bar's value is the size in points; the read-out is written first, and each write reads
// the bar afresh.
void applySize(const toolkit::HScrollBar *bar, toolkit::Label *readout, toolkit::Label *sample)
{
    readout->setCaption(QString::number(bar->value()));
    sample->setFontSize(bar->value());
}

} // namespace

void Form1::Check1_Click()
{
    applyStyle(Check1, Label1, &toolkit::Label::setFontBold);
}
void Form1::Check2_Click()
{
    applyStyle(Check2, Label1, &toolkit::Label::setFontItalic);
}
void Form1::Check3_Click()
{
    applyStyle(Check3, Label1, &toolkit::Label::setFontUnderline);
}
void Form1::Check4_Click()
{
    applyStyle(Check4, Label1, &toolkit::Label::setFontStrikethrough);
}

void Form1::Combo1_Click()
{
    applyFace(Combo1, Label1);
}
void Form1::Command1_Click()
{
    applyFace(Combo1, Label1);
}

void Form1::HScroll1_Change()
{
    applySize(HScroll1, Label8, Label1);
}
void Form1::HScroll1_Scroll()
{
    applySize(HScroll1, Label8, Label1);
}
