#include "colour/channel_text.h"

#include <cmath>

// TODO(colour): placeholder until the channel text format lands; only whole integers.
namespace colour {

std::optional<std::int16_t> toInteger16(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

int channelLevel(double value)
{
    if (!(value > 0))
        return 0;
    if (value > 255)
        return 255;
    return static_cast<int>(std::nearbyint(value));
}

QColor colourOf(double red, double green, double blue)
{
    return QColor(channelLevel(red), channelLevel(green), channelLevel(blue));
}

} // namespace colour
