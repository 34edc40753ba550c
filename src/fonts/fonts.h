#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFont;

namespace toolkit {

// The installed screen fonts as a count and a name for each index from 0.
class ScreenFonts
{
public:
    virtual ~ScreenFonts() = default;
    virtual int fontCount() const = 0;
    virtual std::optional<QString> font(int index) const = 0;
};

// The families that fontconfig enumerates, each under the name Qt's font database registers
// for it, in a locale-aware order.
class SystemFonts : public ScreenFonts
{
public:
    SystemFonts();
    int fontCount() const override { return static_cast<int>(m_names.size()); }
    std::optional<QString> font(int index) const override;

private:
    QStringList m_names;
};

// The family that is really drawn for a requested face name: the name itself where it is
// installed (also under a localised alias), else the program's substitute for it, else
// fontconfig's choice. Never lets Qt scan all font aliases for a missing family. An empty
// name is refused.
std::optional<QString> resolvedFamily(const QString &requested);

// Registers the substitutes for faces that Linux lacks and gives the application its default
// user-interface font. Call once after the QApplication exists, before any widget is made.
void initialiseFonts();

} // namespace toolkit
