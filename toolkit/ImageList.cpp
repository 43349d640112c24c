#include "ImageList.h"

#include "Bitmap.h"
#include "Canvas.h"

#include <stdexcept>
#include <string>

namespace tk {

namespace {

QImage premultiplied(const QImage& picture) {
    if (picture.isNull()) throw std::invalid_argument("TImageList: cannot add an empty picture");
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TImageList::TImageList(Component* owner) : QObject(nullptr), Component(this, owner) {}

void TImageList::setSize(int w, int h) {
    if (w < 1 || h < 1 || w > MaxSize || h > MaxSize)
        throw std::invalid_argument("Invalid image size " + std::to_string(w) + " x " +
                                    std::to_string(h));
    if (w == m_width && h == m_height) return;
    m_width = w;
    m_height = h;
    m_images.clear();
    emit OnChange();
}

QImage TImageList::cell(const QImage& picture, int column) const {
    // What lies beyond the picture comes out as zeros: transparent.
    const QImage out = picture.copy(column * m_width, 0, m_width, m_height);
    if (out.isNull()) throw std::runtime_error("TImageList: cannot allocate an image");
    return out;
}

int TImageList::add(const QImage& picture) {
    const QImage source = premultiplied(picture);
    const int first = count();
    const int cells = std::max(1, source.width() / m_width);
    for (int i = 0; i < cells; ++i)
        m_images.append(cell(source, i));
    emit OnChange();
    return first;
}

int TImageList::addMasked(const Bitmap& picture, TColor maskColor) {
    // An empty picture stays empty: add() refuses it.
    // A bitmap is opaque, so its alpha channel can become the mask whole.
    QImage source = picture.image().convertToFormat(QImage::Format_ARGB32);
    source.setAlphaChannel(source.createMaskFromColor(toQRgb(maskColor), Qt::MaskOutColor));
    return add(source);
}

void TImageList::checkIndex(int index) const {
    if (index < 0 || index >= count())
        throw std::out_of_range("Image index " + std::to_string(index) + " out of bounds (" +
                                std::to_string(count()) + " images)");
}

void TImageList::replace(int index, const QImage& picture) {
    checkIndex(index);
    m_images[index] = cell(premultiplied(picture), 0);
    emit OnChange();
}

void TImageList::remove(int index) {
    checkIndex(index);
    m_images.removeAt(index);
    emit OnChange();
}

void TImageList::clear() {
    if (m_images.isEmpty()) return;
    m_images.clear();
    emit OnChange();
}

void TImageList::draw(Canvas& c, int x, int y, int index, bool enabled) const {
    // Pixel by pixel through the canvas, so its origin and clip hold as for any shape.
    const QImage img = image(index).convertToFormat(QImage::Format_ARGB32);
    for (int iy = 0; iy < img.height(); ++iy) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(iy));
        for (int ix = 0; ix < img.width(); ++ix) {
            const QRgb p = line[ix];
            int alpha = qAlpha(p);
            if (alpha == 0 || !c.isDrawable(x + ix, y + iy)) continue;
            int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (!enabled) {
                r = g = b = (r * 11 + g * 16 + b * 5) / 32;
                alpha /= 2;
            }
            if (alpha < 255) {
                const TColor under = c.pixel(x + ix, y + iy); // drawable, so in the image
                const auto blend = [alpha](int v, int u) {
                    return (v * alpha + u * (255 - alpha)) / 255;
                };
                r = blend(r, redOf(under));
                g = blend(g, greenOf(under));
                b = blend(b, blueOf(under));
            }
            c.setPixel(x + ix, y + iy, rgb(r, g, b));
        }
    }
}

} // namespace tk
