#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QFont;

namespace fonts {

// The installed screen fonts as a count and a name for each index from 0.
class ScreenFonts
{
public:
    virtual ~ScreenFonts() = default;
    virtual int fontCount() const = 0;
    virtual std::optional<QString> font(int index) const = 0;
};

// The families that fontconfig enumerates, each under the name Qt's font database registers
// for it in the user's language, and the faces that fontconfig names as families of their own,
// in a locale-aware order. They are gathered when first asked for, not when made: the time
// grows with the number of installed fonts, and the window that waits for them comes first.
class SystemFonts : public ScreenFonts
{
public:
    int fontCount() const override { return static_cast<int>(names().size()); }
    std::optional<QString> font(int index) const override;

private:
    const QStringList &names() const;

    mutable std::optional<QStringList> m_names;
    // Fonts added for this run since the names were gathered make them stale.
    mutable int m_generation = 0;
};

// A face Qt can draw: a family it has registered and, for a face that fontconfig lists under a
// family name of its own without Qt registering that name (DejaVu Sans ExtraLight is
// "DejaVu Sans Light"), the style that picks the face out of its family.
struct Face
{
    QString family;
    QString styleName;
    bool operator==(const Face &) const = default;
};

// The face that is really drawn for a requested face name: the font of that name where one is
// installed under it (in any language, whatever the locale), else that of the program's
// substitute for it, else fontconfig's choice. Never lets Qt scan all font aliases for a missing
// family. An empty name is refused.
std::optional<Face> resolvedFace(const QString &requested);

// The family of the resolved face.
std::optional<QString> resolvedFamily(const QString &requested);

// Adds the faces of a font file's bytes for this run only: nothing is installed or written. They
// are listed and resolved from then on like the installed ones. The families Qt registered for
// them, or none where the bytes hold no face it takes. Only for bytes checked apart from the
// window first (toolkit::LoadFontFile): the font engine parses them in this process.
QStringList addFontData(const QByteArray &data);

// Registers the substitutes for faces that Linux lacks and gives the application its default
// user-interface font. Call once after the QApplication exists, before any widget is made.
void initialiseFonts();

} // namespace fonts
