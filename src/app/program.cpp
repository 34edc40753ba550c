#include "app/program.h"

#include "app/form1.h"

#include <QApplication>

int runProgram(const fonts::ScreenFonts &fonts, const QList<QByteArray> &fontFiles)
{
    Form1 form(fonts);
    form.Form_Load();
    // Closing the window ends the program; a close during start-up came before there was a
    // loop for Qt to end.
    if (!form.isVisible())
        return 0;
    if (!fontFiles.isEmpty())
        form.openFontFiles(fontFiles);
    // Or while a message about one of the files was open.
    if (!form.isVisible())
        return 0;
    return QApplication::exec();
}

QList<QByteArray> fontFileArguments(int argc, const char *const *argv)
{
    QList<QByteArray> names;
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && qstrcmp(argv[i], "--") == 0)
            continue;
        names << QByteArray(argv[i]);
    }
    return names;
}
