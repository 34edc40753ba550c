#pragma once

#include <QByteArray>
#include <QList>

namespace fonts {
class ScreenFonts;
}

// Runs the program over the given font list: the main window is made and started up, the font
// files given (names as the system spells them) are opened, then events are handled until the
// window is closed. The exit status; 0 also when the window was closed
// while it was still starting up. Needs a QApplication readied by toolkit::initialiseApplication
// and fonts::initialiseFonts.
int runProgram(const fonts::ScreenFonts &fonts, const QList<QByteArray> &fontFiles = {});

// The font files named on a command line that Qt has taken its own options from: every argument
// after the program's name, a first "--" aside.
QList<QByteArray> fontFileArguments(int argc, const char *const *argv);
