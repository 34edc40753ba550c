#include "colour/channel_keys.h"

namespace colour {

bool acceptsKey(int keyAscii, bool decimalMode)
{
    if (keyAscii >= '0' && keyAscii <= '9')
        return true;
    if (keyAscii == 8)
        return true;
    if (decimalMode)
        return false;
    return (keyAscii >= 'a' && keyAscii <= 'f') || (keyAscii >= 'A' && keyAscii <= 'F');
}

} // namespace colour
