#include "app/display.h"
#include "app/program.h"
#include "fonts/fonts.h"
#include "toolkit/application.h"
#include "toolkit/classicstyle.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Qt aborts with an English message when it finds no display; the user is told in the
    // program's own language, and the status is an ordinary failure.
    if (!canReachDisplay(argc, argv)) {
        std::fputs("typorama: 画面に接続できません。DISPLAY と WAYLAND_DISPLAY のどちらにも応答する"
                   "表示先がありません。デスクトップの中から起動してください。\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(new toolkit::ClassicStyle);
    QApplication::setApplicationName(QStringLiteral("Typorama"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.typorama.Typorama"));
    toolkit::initialiseApplication();
    fonts::initialiseFonts();
    const fonts::SystemFonts fonts;
    return runProgram(fonts, fontFileArguments(argc, argv));
}
