#pragma once

#include "Colors.h"
#include "Component.h"

#include <QImage>
#include <QList>
#include <QObject>

namespace tk {

class Bitmap;
class Canvas;

// A row of equally sized pictures that controls refer to by number (the glyphs of tabs).
// Every image is kept as Width x Height pixels with an alpha channel, so masked and
// semi-transparent glyphs draw over whatever lies beneath. The pictures themselves are
// not part of a layout; Width and Height are.
class TImageList : public QObject, public Component {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnChange")
    Q_CLASSINFO("Range:Width", "1..4096")
    Q_CLASSINFO("Range:Height", "1..4096")
    Q_PROPERTY(int Width READ width WRITE setWidth)
    Q_PROPERTY(int Height READ height WRITE setHeight)
public:
    static constexpr int DefaultSize = 16;
    static constexpr int MaxSize = 4096; // the edge of the largest picture a layout holds

    explicit TImageList(Component* owner = nullptr);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // A new image size empties the list, as the stored pictures no longer fit it. Sizes
    // outside 1 .. MaxSize fail with an exception and leave the list as it was.
    void setWidth(int w) { setSize(w, m_height); }
    void setHeight(int h) { setSize(m_width, h); }
    void setSize(int w, int h);

    int count() const { return int(m_images.size()); }

    // Adds `picture` cut into cells of Width pixels from the left, one image per whole
    // cell (at least one; a narrower or shorter picture is padded with transparency).
    // Returns the index of the first new image.
    int add(const QImage& picture);
    // The same, with every pixel of `maskColor` left transparent.
    int addMasked(const Bitmap& picture, TColor maskColor);
    // Throws std::out_of_range for an index outside 0 .. count() - 1.
    void replace(int index, const QImage& picture);
    void remove(int index);
    void clear();

    // The image as stored (ARGB32 premultiplied, Width x Height); null out of range.
    QImage image(int index) const { return m_images.value(index); }

    // Draws image `index` with its top-left corner at (x, y). A disabled image is drawn
    // in grey at half strength. An index out of range draws nothing: controls pass the
    // image numbers they were given without checking them against the list.
    void draw(Canvas& c, int x, int y, int index, bool enabled = true) const;

signals:
    // Raised after every change of the images or of their size.
    void OnChange();

private:
    QImage cell(const QImage& picture, int column) const;
    void checkIndex(int index) const;

    int m_width = DefaultSize;
    int m_height = DefaultSize;
    QList<QImage> m_images;
};

} // namespace tk
