#pragma once

// What every flat control shares: the enumerations of the set, the colour table and the
// stateless drawing and layout helpers. The helpers keep the program's own names.

#include "Bitmap.h"
#include "Canvas.h"
#include "Colors.h"
#include "FlatPalette.h"
#include "Geometry.h"
#include "VersionBases.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>

namespace flat {

// The flat set draws with the toolkit's canvas, rectangles and colours.
using tk::Canvas;
using tk::Rect;
using tk::TColor;

// moc allows one Q_NAMESPACE per namespace and target: every enumeration of the flat set
// that a layout names goes here, declared with FLAT_ENUM so that layouts know it by name.
Q_NAMESPACE

#define FLAT_ENUM(Name, ...)                                                                       \
    enum Name { __VA_ARGS__ };                                                                     \
    Q_ENUM_NS(Name)

FLAT_ENUM(TFillDirection, fdBottomToTop, fdCenterToVerti, fdCenterToHoriz, fdLeftToRight,
          fdRightToLeft, fdTopToBottom, fdXPFace)
FLAT_ENUM(TTransparentMode, tmAlways, tmNotFocused, tmNone)
FLAT_ENUM(TPagesStyle, pcsTabs, pcsButtons, pcsFlatButtons, pcsFlatStyle)
FLAT_ENUM(TPagesPosition, tpTop, tpBottom, tpLeft, tpRight)
FLAT_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
FLAT_ENUM(TLayoutPosition, lpLeft, lpRight)
FLAT_ENUM(TGroupBoxBorder, brFull, brOnlyTopLine)
FLAT_ENUM(TStyleFace, fsDefault, fsCustom)
FLAT_ENUM(TAlignmentText, stLeft, stCenter, stRight)
FLAT_ENUM(TTicketPosition, poLeft, poTop, poRight, poBottom)
// The last value is spelled as the layouts store it.
FLAT_ENUM(TDefineSheetBGStyle, bgsNone, bgsGradient, bgsTileImage, bgsStrechImage)
FLAT_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)

// --- The colour table of the colour box ---------------------------------------------

struct TStandardColor {
    tk::TColor Color;
    const char* LocalName; // GBK bytes
    const char* EnglishName;
};

inline constexpr std::array<TStandardColor, 19> StandardColorTable{{
    {0x00000000, "\xba\xda\xc9\xab", "Black"},      {0x00FFFFFF, "\xb0\xd7\xc9\xab", "White"},
    {0x0000FFFF, "\xbb\xc6\xc9\xab", "Yellow"},     {0x000000FF, "\xba\xec\xc9\xab", "Red"},
    {0x00FF00FF, "\xd7\xcf\xba\xec", "Fuchsia"},    {0x00000080, "\xc0\xf5\xc9\xab", "Maroon"},
    {0x00008000, "\xc2\xcc\xc9\xab", "Green"},      {0x00FFFF00, "\xc7\xb3\xc2\xcc", "Aqua"},
    {0x00C0DCC0, "\xbd\xf0\xc2\xcc", "MoneyGreen"}, {0x00FF0000, "\xc0\xb6\xc9\xab", "Blue"},
    {0x00808000, "\xc9\xee\xc0\xb6", "Teal"},       {0x00F0CAA6, "\xcc\xec\xc0\xb6", "SkyBlue"},
    {0x00008080, "\xe9\xcf\xe9\xad", "Olive"},      {0x00800000, "\xb2\xd8\xc7\xe0", "Navy"},
    {0x00800080, "\xd7\xcf\xc9\xab", "Purple"},     {0x00808080, "\xbb\xd2\xc9\xab", "Gray"},
    {0x00C0C0C0, "\xd2\xf8\xbb\xd2", "Silver"},     {0x0000FF00, "\xc7\xe0\xc9\xab", "Lime"},
    {0x004080FF, "\xd7\xd4\xb6\xa8", "Custom"},
}};

// The entry's local name as shown (decoded from GBK) and its English name.
QString localColorName(const TStandardColor& entry);
QString englishColorName(const TStandardColor& entry);

// --- Drawing helpers ------------------------------------------------------------------
// Colours are resolved through the palette before they are taken apart or used. Every
// helper leaves the canvas's pen, brush, clip and origin as it found them.

constexpr int XPFaceBorder = 6;   // the face border width of XPFaceFill
constexpr int XPFaceLighten = 30; // how much lighter than Start its top and left lines begin

// Fills `r` from `start` to `end` in `colors` bands along `direction`.
void GradientFill(tk::Canvas& canvas, tk::Rect r, tk::TColor start, tk::TColor end,
                  TFillDirection direction, int colors);
// The straight gradients: `c1` lies at the edge where `direction` starts. Only
// fdTopToBottom, fdBottomToTop, fdLeftToRight and fdRightToLeft are straight; any other
// direction is refused with an exception.
void LinearGradientFill(tk::Canvas& canvas, tk::Rect r, tk::TColor c1, tk::TColor c2,
                        TFillDirection direction, int colors);
// The shaded face with lighter top and left edges; reads pixels back from the canvas.
void XPFaceFill(tk::Canvas& canvas, tk::Rect r, tk::TColor start, tk::TColor end, int colors);
// Each channel less `amount`, clamped to 0..255; a negative amount lightens.
tk::TColor DarkenColor(tk::TColor color, int amount);

// `width` concentric 1-pixel rings on the inside edge of `r`.
void DrawSolidFrame(tk::Canvas& canvas, tk::Rect r, tk::TColor color, int width);
// The three-pixel check mark, centred in the square box `r`.
void DrawCheckMark(tk::Canvas& canvas, tk::Rect r, tk::TColor color);
// `bitmap` repeated from the top-left of `r`, cut at its edges.
void TileBitmap(tk::Canvas& canvas, tk::Rect r, const tk::Bitmap& bitmap);

// The engraved picture of a glyph: every pixel of `source` in `keyColor` becomes
// `shadowColor`, with `highlightColor` one pixel down and right when `drawHighlight`,
// on `backColor`. A 1-bit source counts its 0-bits as white and its 1-bits as `keyColor`.
tk::Bitmap MakeDisabledBitmap(const tk::Bitmap& source, tk::TColor keyColor, tk::TColor backColor,
                              tk::TColor highlightColor, tk::TColor shadowColor,
                              bool drawHighlight);

// Where a button draws its glyph and its caption inside `client`.
struct TGlyphTextLayout {
    QPoint GlyphPos;
    tk::Rect TextBounds;
};
// `glyph` may be null; it holds `numGlyphs` images side by side. Margin and Spacing -1
// mean automatic. The caption is measured with the canvas's font, as one line.
TGlyphTextLayout CalcGlyphTextLayout(tk::Canvas& canvas, tk::Rect client, QPoint offset,
                                     const QString& caption, const tk::Bitmap* glyph, int numGlyphs,
                                     int margin, int spacing, TButtonLayout layout);

// The text with its first "&" removed.
QString RemoveAmpersand(const QString& text);

// The caption in the canvas's font colour, or engraved (highlight one pixel down and
// right, shadow in place) when disabled.
void drawControlCaption(tk::Canvas& canvas, const tk::Rect& r, const QString& caption,
                        tk::TextFormats flags, bool enabled);
// The horizontal placement of text aligned by `a`.
tk::TextFormats alignmentFormat(tk::TAlignment a);

int RectWidth(const tk::Rect& r);
int RectHeight(const tk::Rect& r);
bool RectsIntersect(const tk::Rect& a, const tk::Rect& b);

// --- Helpers that work on controls ----------------------------------------------------
// The version-bearing bases are in VersionBases.h, included above.

// The flat edit's frame: one ring of `borderColor` on the control's outer edge, then two
// rings of the inner colour, which is returned. The inner colour is `focusedColor` while
// `focused` or `mouseIn`, else `flatColor`; in a form designer it is always `flatColor`.
// Qt gives a widget no separate surface for its frame, so `canvas` covers the whole
// control (frame and text area, (0, 0) at the control's top-left) and the control is
// passed for its size and its designing flag.
tk::TColor DrawFlatBorder(const tk::TControl& control, tk::Canvas& canvas, tk::TColor borderColor,
                          tk::TColor flatColor, tk::TColor focusedColor, bool mouseIn,
                          bool focused);

// The mouse entering (`entering`) or leaving the edit or a combo box: entering sets
// `mouseIn` while one of the application's windows is active, as hover counts only then;
// leaving clears it. Tells whether the flag was set or cleared, so the look must change.
bool trackHover(bool& mouseIn, bool entering);

// The face of the panel family and the group box, filling `r`: what the parent shows
// behind the control when `transparent`, else with StyleFace fsCustom a gradient from
// `start` to `stop` in 60 bands, else the control's Color.
void DrawFace(const tk::TControl& control, tk::Canvas& canvas, tk::Rect r, bool transparent,
              TStyleFace face, tk::TColor start, tk::TColor stop, TFillDirection direction);

// What the control's parent shows behind it: the parent's background and its own
// painting (not its other child controls), shifted so that the control's top-left is at
// (0, 0) and clipped to the parent. Nothing happens for a control without a parent.
void DrawParentBackground(const QWidget& control, tk::Canvas& canvas);

// Moves `ticket`, keeping its size, beside `control` (both in the same parent): `spacing`
// pixels to the left, above, to the right or below. Left and right of the control it is
// centred vertically, (H - h) / 2 truncated toward zero: a ticket 3 pixels taller than
// the control starts 1 pixel above it.
void PlaceTicket(TTicketPosition position, const QWidget& control, tk::TControl& ticket,
                 int spacing);

} // namespace flat
