#include "KeyCodes.h"

namespace tk {

namespace {

struct KeyCode {
    int qt;
    int vk;
};

// Punctuation goes by the key it lies on in the US layout, shifted or not, as the codes
// were defined.
// clang-format off
constexpr KeyCode Keys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    // Modifiers and locks.
    {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Super_L, 0x5B},
    {Qt::Key_Super_R, 0x5C}, {Qt::Key_Menu, 0x5D}, {Qt::Key_CapsLock, 0x14},
    {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    // Special keys.
    {Qt::Key_Cancel, 0x03}, {Qt::Key_Clear, 0x0C}, {Qt::Key_Pause, 0x13}, {Qt::Key_Print, 0x2C},
    {Qt::Key_Printer, 0x2A}, {Qt::Key_Execute, 0x2B}, {Qt::Key_Select, 0x29}, {Qt::Key_Help, 0x2F},
    {Qt::Key_Sleep, 0x5F}, {Qt::Key_Play, 0xFA}, {Qt::Key_Zoom, 0xFB},
    // Input-method keys.
    {Qt::Key_Mode_switch, 0x1F}, {Qt::Key_Henkan, 0x1C}, {Qt::Key_Muhenkan, 0x1D},
    {Qt::Key_Kana_Lock, 0x15}, {Qt::Key_Katakana, 0x15}, {Qt::Key_Hiragana, 0x15},
    {Qt::Key_Hangul, 0x15}, {Qt::Key_Kanji, 0x19}, {Qt::Key_Hangul_Hanja, 0x19},
    // Browser and media keys.
    {Qt::Key_Back, 0xA6}, {Qt::Key_Forward, 0xA7}, {Qt::Key_Refresh, 0xA8}, {Qt::Key_Stop, 0xA9},
    {Qt::Key_Search, 0xAA}, {Qt::Key_Favorites, 0xAB}, {Qt::Key_HomePage, 0xAC},
    {Qt::Key_VolumeMute, 0xAD}, {Qt::Key_VolumeDown, 0xAE}, {Qt::Key_VolumeUp, VK_VOLUME_UP},
    {Qt::Key_MediaNext, 0xB0}, {Qt::Key_MediaPrevious, 0xB1}, {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaPlay, VK_MEDIA_PLAY_PAUSE}, {Qt::Key_MediaPause, VK_MEDIA_PLAY_PAUSE},
    {Qt::Key_MediaTogglePlayPause, VK_MEDIA_PLAY_PAUSE}, {Qt::Key_LaunchMail, 0xB4},
    {Qt::Key_LaunchMedia, 0xB5}, {Qt::Key_Launch0, 0xB6}, {Qt::Key_Launch1, 0xB7},
    // Punctuation.
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB}, {Qt::Key_Comma, 0xBC}, {Qt::Key_Less, 0xBC}, {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD}, {Qt::Key_Period, 0xBE}, {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF}, {Qt::Key_Question, 0xBF}, {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC}, {Qt::Key_Bar, 0xDC}, {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'}};
// clang-format on

} // namespace

int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    // The keypad's own codes; its Enter and navigation keys share the main keys' codes. Its
    // operators * + , - . / follow each other in both.
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        if (qtKey >= Qt::Key_Asterisk && qtKey <= Qt::Key_Slash)
            return VK_MULTIPLY + (qtKey - Qt::Key_Asterisk);
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes as 'A'..'Z'
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
    for (const KeyCode& k : Keys)
        if (k.qt == qtKey) return k.vk;
    // Qt names a key that types a character by the character, below the special keys.
    return qtKey > 0 && qtKey < Qt::Key_Escape ? VK_PACKET : 0;
}

int qtKeyFromVirtual(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
    // The first key of the table that has the code is its main key (Return, not Enter).
    for (const KeyCode& k : Keys)
        if (k.vk == vk) return k.qt;
    return 0;
}

TShiftState shiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons buttons) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

} // namespace tk
