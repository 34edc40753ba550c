#include "fonts/familyreply.h"

#include <QStringDecoder>

#include <algorithm>

namespace fonts {
namespace {

// Four bytes of UTF-8 for each character of each name, and its line feed.
constexpr qsizetype maxReplyBytes = maxFamilies * (maxFamilyLength * 4 + 1);

} // namespace

bool isSendableFamily(const QString &family)
{
    return !family.isEmpty() && family.size() <= maxFamilyLength &&
           std::none_of(family.cbegin(), family.cend(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

QByteArray familyReply(const QStringList &families)
{
    QByteArray reply;
    for (const QString &family : families)
        reply += family.toUtf8() + '\n';
    return reply;
}

bool FamilyReceiver::feed(QByteArrayView data)
{
    m_spoilt = m_spoilt || data.size() > maxReplyBytes - m_reply.size();
    if (!m_spoilt)
        m_reply.append(data);
    return !m_spoilt;
}

std::optional<QStringList> FamilyReceiver::families() const
{
    if (m_spoilt || !m_reply.endsWith('\n'))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringList families = QString(decoder(m_reply.chopped(1))).split(u'\n');
    if (decoder.hasError() || families.size() > maxFamilies ||
        !std::all_of(families.cbegin(), families.cend(), isSendableFamily))
        return std::nullopt;
    return families;
}

} // namespace fonts
