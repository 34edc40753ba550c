#include "app/form1.h"
#include "fonts/fonts.h"
#include "toolkit/classicstyle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new toolkit::ClassicStyle);
    QApplication::setApplicationName(QStringLiteral("Typorama"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.typorama.Typorama"));
    toolkit::initialiseFonts();
    const toolkit::SystemFonts fonts;
    Form1 form(fonts);
    form.Form_Load();
    return QApplication::exec();
}
