#pragma once

#include "fonts/fonts.h"

#include <QSet>

// A font list given by the test: names by index, with chosen indexes unreadable.
class FakeFonts : public toolkit::ScreenFonts
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
