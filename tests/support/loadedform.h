#pragma once

#include "support/fakefonts.h"

#include <QStringList>

#include <memory>

class Form1;

// The main window brought to its working state by its own start-up, over a short fake font
// list. Needs an application readied as the program's own (see support/testmain.h).
class LoadedForm
{
public:
    LoadedForm();
    ~LoadedForm();

    Form1 &operator*() const { return *m_form; }
    Form1 *operator->() const { return m_form.get(); }

private:
    FakeFonts m_fonts;
    std::unique_ptr<Form1> m_form;
};

// The texts of the six colour boxes: TextC(0..2), then TextCM(0..2).
QStringList channelTexts(const Form1 &form);
