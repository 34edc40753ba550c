#include "support/loadedform.h"

#include "app/form1.h"

LoadedForm::LoadedForm()
    : m_fonts({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")}),
      m_form(std::make_unique<Form1>(m_fonts))
{
    m_form->Form_Load();
}

LoadedForm::~LoadedForm() = default;
