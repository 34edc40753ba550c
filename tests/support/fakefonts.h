#pragma once

#include "fonts/fonts.h"

#include <QByteArray>
#include <QSet>

class QFont;

// A font list given by the test: names by index, with chosen indexes unreadable.
class FakeFonts : public fonts::ScreenFonts
{
public:
    explicit FakeFonts(QStringList names, QSet<int> unreadable = {});
    int fontCount() const override;
    std::optional<QString> font(int index) const override;

    // How often a name was asked for; the listing reads each index once.
    int reads() const { return m_reads; }

private:
    QStringList m_names;
    QSet<int> m_unreadable;
    mutable int m_reads = 0;
};

// A font file made for a test: a copy of a system face under the names the test gives.
struct FixtureFace
{
    QString family;            // the family name every program sees
    QString style;             // its style name
    QString typographicFamily; // the wider family it belongs to, where it has one
    QString postScriptName;    // the name that tells this face from every other
    int weight = 400;
};

// Writes the faces into a folder and points fontconfig at a configuration that adds that folder
// to the machine's fonts. Call before the QApplication exists: fontconfig reads its
// configuration once. False where a file could not be made.
bool installFixtureFonts(const QString &folder, const QList<FixtureFace> &faces);

// The face a font really draws with: its PostScript name, read from the drawn font file's own
// name table, and the file's header, which differs from file to file.
struct DrawnFace
{
    QString postScriptName;
    QByteArray header;
};
DrawnFace drawnFace(const QFont &font);
