#pragma once

#include "Canvas.h"

#include <QImage>
#include <QPointF>
#include <QString>
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
    // Fails with an exception naming the file when it cannot be read as a picture.
    static Bitmap fromFile(const QString& path);

    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    int width() const {
        return Canvas::logicalExtent(m_image.width(), m_image.devicePixelRatio(), m_subpixel.x());
    }
    int height() const {
        return Canvas::logicalExtent(m_image.height(), m_image.devicePixelRatio(), m_subpixel.y());
    }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    bool isMonochrome() const { return m_image.format() == QImage::Format_Mono; }

    // New contents, white (bit 0 for a monochrome bitmap); the canvas keeps its state.
    void setSize(int width, int height);
    void assign(const QImage& image);

    const QImage& image() const { return m_image; }
    QPointF subpixel() const { return m_subpixel; }
    Canvas& canvas();

private:
    void imageReplaced() {
        if (m_canvas) m_canvas->surfaceChanged(m_subpixel);
    }

    QImage m_image;
    QPointF m_subpixel;
    std::unique_ptr<Canvas> m_canvas;
};

} // namespace tk
