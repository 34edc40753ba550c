#include "app/program.h"

#include "app/form1.h"

#include <QApplication>

int runProgram(const fonts::ScreenFonts &fonts)
{
    Form1 form(fonts);
    form.Form_Load();
    // Closing the window ends the program; a close during start-up came before there was a
    // loop for Qt to end.
    if (!form.isVisible())
        return 0;
    return QApplication::exec();
}
