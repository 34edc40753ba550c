#pragma once

#include "support/fakefonts.h"

#include <QStringList>

#include <memory>

class Form1;
namespace toolkit {
class TextBox;
}

// The main window brought to its working state by its own start-up, over a short fake font
// list or the one given. Needs an application readied as the program's own (see
// support/testmain.h).
class LoadedForm
{
public:
    LoadedForm();
    explicit LoadedForm(const fonts::ScreenFonts &fonts);
    ~LoadedForm();

    Form1 &operator*() const { return *m_form; }
    Form1 *operator->() const { return m_form.get(); }

private:
    FakeFonts m_fonts;
    std::unique_ptr<Form1> m_form;
};

// The texts of the six colour boxes: TextC(0..2), then TextCM(0..2).
QStringList channelTexts(const Form1 &form);

// Chooses decimal or hexadecimal colour boxes, as a click on the base's option does.
void useBase(Form1 &form, bool decimal);

// Puts text in a box the way the clipboard does: unfiltered, replacing the whole content.
void pasteOver(toolkit::TextBox *box, const QString &text);
