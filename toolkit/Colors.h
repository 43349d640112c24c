#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <cstdint>
#include <optional>

namespace tk {

// A colour as the controls store it: 0x00BBGGRR (red in the low byte), or, with the top
// byte 0xFF, a system colour whose low byte is the system-colour index.
using TColor = std::int32_t;

constexpr TColor SystemColorBase = static_cast<TColor>(0xFF000000u);
constexpr TColor systemColor(int index) {
    return SystemColorBase | index;
}
constexpr bool isSystemColor(TColor c) {
    return (static_cast<std::uint32_t>(c) >> 24) == 0xFFu;
}

constexpr TColor rgb(int r, int g, int b) {
    return TColor(r | (g << 8) | (b << 16));
}
constexpr int redOf(TColor c) {
    return c & 0xFF;
}
constexpr int greenOf(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(TColor c) {
    return (c >> 16) & 0xFF;
}

// Every colour with a name that layouts may use, once. Plain colours come first, so that
// writing picks their names; then the system colours: the platform's system-colour number
// and the application palette entry that stands for it.
#define TK_PLAIN_COLORS(X)                                                                         \
    X(clBlack, 0x000000)                                                                           \
    X(clMaroon, 0x000080)                                                                          \
    X(clGreen, 0x008000)                                                                           \
    X(clOlive, 0x008080)                                                                           \
    X(clNavy, 0x800000)                                                                            \
    X(clPurple, 0x800080)                                                                          \
    X(clTeal, 0x808000)                                                                            \
    X(clGray, 0x808080)                                                                            \
    X(clSilver, 0xC0C0C0)                                                                          \
    X(clRed, 0x0000FF)                                                                             \
    X(clLime, 0x00FF00)                                                                            \
    X(clYellow, 0x00FFFF)                                                                          \
    X(clBlue, 0xFF0000)                                                                            \
    X(clFuchsia, 0xFF00FF)                                                                         \
    X(clAqua, 0xFFFF00)                                                                            \
    X(clWhite, 0xFFFFFF)                                                                           \
    X(clMoneyGreen, 0xC0DCC0)                                                                      \
    X(clSkyBlue, 0xF0CAA6)                                                                         \
    X(clCream, 0xF0FBFF)                                                                           \
    X(clMedGray, 0xA4A0A0)                                                                         \
    X(clNone, 0x1FFFFFFF)                                                                          \
    X(clDefault, 0x20000000)
#define TK_SYSTEM_COLORS(X)                                                                        \
    X(clScrollBar, 0, Active, Button)                                                              \
    X(clBackground, 1, Active, Window)                                                             \
    X(clActiveCaption, 2, Active, Highlight)                                                       \
    X(clInactiveCaption, 3, Active, Mid)                                                           \
    X(clMenu, 4, Active, Window)                                                                   \
    X(clWindow, 5, Active, Base)                                                                   \
    X(clWindowFrame, 6, Active, Shadow)                                                            \
    X(clMenuText, 7, Active, WindowText)                                                           \
    X(clWindowText, 8, Active, Text)                                                               \
    X(clCaptionText, 9, Active, HighlightedText)                                                   \
    X(clActiveBorder, 10, Active, Window)                                                          \
    X(clInactiveBorder, 11, Active, Window)                                                        \
    X(clAppWorkSpace, 12, Active, Mid)                                                             \
    X(clHighlight, 13, Active, Highlight)                                                          \
    X(clHighlightText, 14, Active, HighlightedText)                                                \
    X(clBtnFace, 15, Active, Button)                                                               \
    X(clBtnShadow, 16, Active, Dark)                                                               \
    X(clGrayText, 17, Disabled, WindowText)                                                        \
    X(clBtnText, 18, Active, ButtonText)                                                           \
    X(clInactiveCaptionText, 19, Active, WindowText)                                               \
    X(clBtnHighlight, 20, Active, Light)                                                           \
    X(cl3DDkShadow, 21, Active, Shadow)                                                            \
    X(cl3DLight, 22, Active, Midlight)                                                             \
    X(clInfoText, 23, Active, ToolTipText)                                                         \
    X(clInfoBk, 24, Active, ToolTipBase)                                                           \
    X(clHotLight, 26, Active, Link)                                                                \
    X(clGradientActiveCaption, 27, Active, Highlight)                                              \
    X(clGradientInactiveCaption, 28, Active, Mid)                                                  \
    X(clMenuHighlight, 29, Active, Highlight)                                                      \
    X(clMenuBar, 30, Active, Window)

#define TK_PLAIN_COLOR(name, value) constexpr TColor name = value;
#define TK_SYSTEM_COLOR(name, index, group, role) constexpr TColor name = systemColor(index);
TK_PLAIN_COLORS(TK_PLAIN_COLOR)
TK_SYSTEM_COLORS(TK_SYSTEM_COLOR)
#undef TK_PLAIN_COLOR
#undef TK_SYSTEM_COLOR

// Resolves a system colour through the application palette; plain colours pass unchanged.
TColor resolveColor(TColor c);
inline TColor fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}
QRgb toQRgb(TColor c);
inline QColor toQColor(TColor c) {
    return QColor(toQRgb(c));
}

// "clBtnFace" <-> value, for layouts. Unnamed colours are written as hex literals.
std::optional<TColor> colorFromIdent(const QString& ident);
std::optional<QString> colorToIdent(TColor c);

// A fixed palette with the classic desktop values, so pictures do not depend on the
// theme of the machine that draws them. Tests install it; the program uses the system's.
QPalette classicPalette();

} // namespace tk
