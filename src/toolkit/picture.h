#pragma once

#include <QImage>

namespace toolkit {

// A loaded picture: an image drawn at its own size, one image pixel to one logical pixel
// (15 twips), or the empty picture.
class Picture
{
public:
    Picture() = default;
    explicit Picture(QImage image) : m_image(std::move(image)) {}

    bool isEmpty() const { return m_image.isNull(); }
    const QImage &image() const { return m_image; }
    double widthTwips() const;
    double heightTwips() const;

private:
    QImage m_image;
};

} // namespace toolkit
