#include "toolkit/picture.h"

#include "toolkit/twips.h"

namespace toolkit {

double Picture::widthTwips() const
{
    return isEmpty() ? 0 : toTwips(m_image.width() / m_image.devicePixelRatio());
}

double Picture::heightTwips() const
{
    return isEmpty() ? 0 : toTwips(m_image.height() / m_image.devicePixelRatio());
}

} // namespace toolkit
