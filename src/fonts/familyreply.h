#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <optional>

namespace fonts {

// How the font checker tells the window the families of a font file, on its standard output:
// each name in UTF-8 followed by a line feed. Collections name a few dozen families at most; a
// family name is some tens of characters.
inline constexpr qsizetype maxFamilies = 256;
inline constexpr qsizetype maxFamilyLength = 256;

// Whether a family name can be sent: not empty, within the length, no control characters
// (which would break the lines apart or reach a terminal through the log).
bool isSendableFamily(const QString &family);

// The reply that names these families.
QByteArray familyReply(const QStringList &families);

// Reads the checker's reply as it arrives in pieces, trusting nothing in it: more bytes than the
// longest well-formed reply spoil it at once.
class FamilyReceiver
{
public:
    // False once the data has shown itself to be no well-formed reply.
    bool feed(QByteArrayView data);
    // The families, once the whole reply has come: well-formed UTF-8, one to maxFamilies
    // sendable names, each ended by a line feed.
    std::optional<QStringList> families() const;

private:
    QByteArray m_reply;
    bool m_spoilt = false;
};

} // namespace fonts
