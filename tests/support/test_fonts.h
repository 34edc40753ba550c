#pragma once

#include <QString>

// The fonts the build makes for the tests from the IPA fonts (tools/make_test_fonts.py): the
// families "Kanamite Gothic" and "Kanamite Mincho", which no installed font has, as
// kanamite-gothic.ttf, kanamite-gothic.otf, kanamite.ttc (both), kanamite-mincho.woff and
// kanamite-gothic.woff2.
QString testFont(const char *name);

// Points fontconfig, in the processes started from now on or in this one before its first use
// of fonts, at a configuration that adds a folder's fonts to the machine's. False where the
// configuration could not be written.
bool addFontFolder(const QString &folder);
