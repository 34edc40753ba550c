#pragma once

#include <QByteArray>

// Checks the bytes of a font file as the window would use them: registers them with Qt's font
// database and draws text in every family Qt names, so that the font engine parses the tables,
// loads glyphs and rasterises them here and not in the window. Writes the families to standard
// output (fonts/familyreply.h) and returns 0, or returns the status of the reason
// (fonts/fonterror.h). Needs the application object.
int checkFont(const QByteArray &data);
