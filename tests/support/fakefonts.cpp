#include "support/fakefonts.h"

FakeFonts::FakeFonts(QStringList names, QSet<int> unreadable)
    : m_names(std::move(names)), m_unreadable(std::move(unreadable))
{
}

int FakeFonts::fontCount() const { return static_cast<int>(m_names.size()); }

std::optional<QString> FakeFonts::font(int index) const
{
    ++m_reads;
    if (index < 0 || index >= m_names.size() || m_unreadable.contains(index))
        return std::nullopt;
    return m_names.at(index);
}
