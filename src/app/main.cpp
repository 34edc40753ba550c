#include "app/program.h"
#include "fonts/fonts.h"
#include "toolkit/application.h"
#include "toolkit/classicstyle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new toolkit::ClassicStyle);
    QApplication::setApplicationName(QStringLiteral("Typorama"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.typorama.Typorama"));
    toolkit::initialiseApplication();
    fonts::initialiseFonts();
    const fonts::SystemFonts fonts;
    return runProgram(fonts);
}
