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

// System colours (index = the platform's system-colour number).
constexpr TColor clScrollBar = systemColor(0);
constexpr TColor clBackground = systemColor(1);
constexpr TColor clActiveCaption = systemColor(2);
constexpr TColor clInactiveCaption = systemColor(3);
constexpr TColor clMenu = systemColor(4);
constexpr TColor clWindow = systemColor(5);
constexpr TColor clWindowFrame = systemColor(6);
constexpr TColor clMenuText = systemColor(7);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clCaptionText = systemColor(9);
constexpr TColor clActiveBorder = systemColor(10);
constexpr TColor clInactiveBorder = systemColor(11);
constexpr TColor clAppWorkSpace = systemColor(12);
constexpr TColor clHighlight = systemColor(13);
constexpr TColor clHighlightText = systemColor(14);
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clBtnShadow = systemColor(16);
constexpr TColor clGrayText = systemColor(17);
constexpr TColor clBtnText = systemColor(18);
constexpr TColor clInactiveCaptionText = systemColor(19);
constexpr TColor clBtnHighlight = systemColor(20);
constexpr TColor cl3DDkShadow = systemColor(21);
constexpr TColor cl3DLight = systemColor(22);
constexpr TColor clInfoText = systemColor(23);
constexpr TColor clInfoBk = systemColor(24);
constexpr TColor clHotLight = systemColor(26);
constexpr TColor clGradientActiveCaption = systemColor(27);
constexpr TColor clGradientInactiveCaption = systemColor(28);
constexpr TColor clMenuHighlight = systemColor(29);
constexpr TColor clMenuBar = systemColor(30);

// Plain colours with names that layouts may use.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The application palette entry that stands for a system colour.
struct SystemColorRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
SystemColorRole systemColorRole(int index);

// Resolves a system colour through the application palette; plain colours pass unchanged.
TColor resolveColor(TColor c);
QColor toQColor(TColor c);
TColor fromQColor(const QColor& c);
QRgb toQRgb(TColor c);

// "clBtnFace" <-> value, for layouts. Unnamed colours are written as hex literals.
std::optional<TColor> colorFromIdent(const QString& ident);
std::optional<QString> colorToIdent(TColor c);

// A fixed palette with the classic desktop values, so pictures do not depend on the
// theme of the machine that draws them. Tests install it; the program uses the system's.
QPalette classicPalette();

} // namespace tk
