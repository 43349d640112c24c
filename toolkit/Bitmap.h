#pragma once

#include "Canvas.h"

#include <QImage>
#include <QPointF>
#include <memory>

namespace tk {

// An off-screen picture: the glyphs of the controls and the bitmap each paint composes
// in. A colour bitmap holds 32-bit pixels; a monochrome one holds 1 bit per pixel, bit 0
// shown white and bit 1 black. Copies are independent pictures. The canvas belongs to
// the bitmap and keeps its pen, brush and font while the bitmap lives; it must not be
// used after the bitmap is gone.
class Bitmap {
public:
    Bitmap() = default;
    // A colour bitmap of `width` x `height` logical pixels, white, on the device grid of
    // `devicePixelRatio` and `subpixel` (see Canvas).
    Bitmap(int width, int height, qreal devicePixelRatio = 1.0, QPointF subpixel = {});
    // A colour bitmap whose pixels land one to one on `target` when drawn at its (0, 0):
    // what a paint composes off-screen before copying it in, so that its text and lines
    // come out as if drawn straight onto the target.
    static Bitmap compatibleWith(const Canvas& target, int width, int height) {
        return Bitmap(width, height, target.devicePixelRatio(), target.subpixelAtOrigin());
    }
    // A copy of `image`: 1-bit images stay monochrome, everything else becomes 32-bit.
    explicit Bitmap(const QImage& image);
    static Bitmap monochrome(int width, int height);

    // A copy shares the pixels until either side writes (QImage detaches), so it is an
    // independent picture. The canvas is not copied: an assigned bitmap keeps its own, with
    // its pen, brush and font, on the new picture. Moving copies too, since the canvas refers
    // to the image of the object it belongs to.
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);

    int width() const {
        return Canvas::logicalExtent(m_image.width(), m_image.devicePixelRatio(), m_subpixel.x());
    }
    int height() const {
        return Canvas::logicalExtent(m_image.height(), m_image.devicePixelRatio(), m_subpixel.y());
    }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    bool isMonochrome() const { return m_image.format() == QImage::Format_Mono; }

    const QImage& image() const { return m_image; }
    QPointF subpixel() const { return m_subpixel; }
    Canvas& canvas();

private:
    QImage m_image;
    QPointF m_subpixel;
    std::unique_ptr<Canvas> m_canvas;
};

} // namespace tk
