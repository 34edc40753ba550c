#include "app/form1.h"

#include "app/filedrop.h"
#include "toolkit/combobox.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

// Every event of the window reaches its handler through this one table.
void Form1::wireEvents()
{
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::clicked, this, &Form1::Check2_Click);
    connect(Check3, &QCheckBox::clicked, this, &Form1::Check3_Click);
    connect(Check4, &QCheckBox::clicked, this, &Form1::Check4_Click);
    connect(Combo1, &toolkit::ComboBox::click, this, &Form1::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(HScroll1, &toolkit::HScrollBar::change, this, &Form1::HScroll1_Change);
    connect(HScroll1, &toolkit::HScrollBar::scroll, this, &Form1::HScroll1_Scroll);

    for (int index = 0; index < 3; ++index) {
        connect(TextC[index], &toolkit::TextBox::keyPress, this,
                [this, index](int &keyAscii) { TextC_KeyPress(index, keyAscii); });
        connect(TextC[index], &toolkit::TextBox::gotFocus, this,
                [this, index] { TextC_GotFocus(index); });
        connect(TextC[index], &toolkit::TextBox::change, this,
                [this, index] { TextC_Change(index); });
        connect(TextCM[index], &toolkit::TextBox::keyPress, this,
                [this, index](int &keyAscii) { TextCM_KeyPress(index, keyAscii); });
        connect(TextCM[index], &toolkit::TextBox::gotFocus, this,
                [this, index] { TextCM_GotFocus(index); });
        connect(TextCM[index], &toolkit::TextBox::change, this,
                [this, index] { TextCM_Change(index); });
    }
    connect(Option3, &QRadioButton::clicked, this, &Form1::Option3_Click);
    connect(Option4, &QRadioButton::clicked, this, &Form1::Option4_Click);

    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    // Queued: the menu bar takes its highlight off the item before the modal window runs.
    connect(mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click, Qt::QueuedConnection);
    connect(new FileDropFilter(this), &FileDropFilter::dropped, this, &Form1::openFontFiles);
}
