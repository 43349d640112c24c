#include "Bitmap.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tk {

namespace {

QImage normalised(const QImage& image) {
    if (image.isNull()) return {};
    const bool mono =
        image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
    const QImage out = image.convertToFormat(mono ? QImage::Format_Mono : QImage::Format_RGB32);
    if (out.isNull()) throw std::runtime_error("Bitmap: cannot convert the picture");
    return out;
}

QImage blank(int width, int height, qreal dpr, QPointF subpixel, QImage::Format format) {
    const qint64 w = Canvas::deviceEdge(std::max(width, 0), dpr, subpixel.x());
    const qint64 h = Canvas::deviceEdge(std::max(height, 0), dpr, subpixel.y());
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (w > std::numeric_limits<int>::max() || h > std::numeric_limits<int>::max())
        throw std::runtime_error("Bitmap: " + size + " is too large");
    if (w == 0 || h == 0) return {};
    QImage img(int(w), int(h), format);
    if (img.isNull()) throw std::runtime_error("Bitmap: cannot allocate " + size);
    img.setDevicePixelRatio(dpr);
    if (format == QImage::Format_Mono) {
        img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        img.fill(0);
    } else {
        img.fill(qRgb(255, 255, 255));
    }
    return img;
}

} // namespace

Bitmap::Bitmap(int width, int height, qreal devicePixelRatio, QPointF subpixel)
    : m_image(blank(width, height, devicePixelRatio > 0 ? devicePixelRatio : 1.0, subpixel,
                    QImage::Format_RGB32)),
      m_subpixel(subpixel) {}

Bitmap::Bitmap(const QImage& image) : m_image(normalised(image)) {}

Bitmap Bitmap::monochrome(int width, int height) {
    Bitmap b;
    b.m_image = blank(width, height, 1.0, {}, QImage::Format_Mono);
    return b;
}

Bitmap::Bitmap(const Bitmap& other) : m_image(other.m_image), m_subpixel(other.m_subpixel) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    m_image = other.m_image;
    m_subpixel = other.m_subpixel;
    if (m_canvas) m_canvas->surfaceChanged(m_subpixel);
    return *this;
}

Canvas& Bitmap::canvas() {
    if (!m_canvas) m_canvas = std::make_unique<Canvas>(m_image, m_subpixel);
    return *m_canvas;
}

} // namespace tk
