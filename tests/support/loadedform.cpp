#include "support/loadedform.h"

#include "app/form1.h"
#include "toolkit/textbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRadioButton>

LoadedForm::LoadedForm() : m_fonts({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")})
{
    m_form = std::make_unique<Form1>(m_fonts);
    m_form->Form_Load();
}

LoadedForm::LoadedForm(const fonts::ScreenFonts &fonts) : m_fonts({})
{
    m_form = std::make_unique<Form1>(fonts);
    m_form->Form_Load();
}

LoadedForm::~LoadedForm() = default;

QStringList channelTexts(const Form1 &form)
{
    QStringList texts;
    for (const toolkit::TextBox *box : form.TextC)
        texts << box->text();
    for (const toolkit::TextBox *box : form.TextCM)
        texts << box->text();
    return texts;
}

void useBase(Form1 &form, bool decimal)
{
    if (decimal)
        form.Option3->click();
    else
        form.Option4->click();
}

void pasteOver(toolkit::TextBox *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->selectAll();
    box->paste();
}
