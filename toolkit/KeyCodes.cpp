#include "KeyCodes.h"

namespace tk {

namespace {

struct KeyCode {
    int qt;
    int vk;
};

// The keypad's own codes; its Enter and navigation keys share the main keys' codes.
constexpr KeyCode KeypadKeys[] = {{Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},
                                  {Qt::Key_Comma, VK_SEPARATOR},   {Qt::Key_Minus, VK_SUBTRACT},
                                  {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Slash, VK_DIVIDE}};

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
    {Qt::Key_AltGr, VK_MENU}, {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Super_L, VK_LWIN},
    {Qt::Key_Super_R, VK_RWIN}, {Qt::Key_Menu, VK_APPS}, {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    // Special keys.
    {Qt::Key_Cancel, VK_CANCEL}, {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Printer, VK_PRINT}, {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Select, VK_SELECT}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Sleep, VK_SLEEP},
    {Qt::Key_Play, VK_PLAY}, {Qt::Key_Zoom, VK_ZOOM},
    // Input-method keys.
    {Qt::Key_Mode_switch, VK_MODECHANGE}, {Qt::Key_Henkan, VK_CONVERT},
    {Qt::Key_Muhenkan, VK_NONCONVERT}, {Qt::Key_Kana_Lock, VK_KANA},
    {Qt::Key_Katakana, VK_KANA}, {Qt::Key_Hiragana, VK_KANA}, {Qt::Key_Hangul, VK_KANA},
    {Qt::Key_Kanji, VK_HANJA}, {Qt::Key_Hangul_Hanja, VK_HANJA},
    // Browser and media keys.
    {Qt::Key_Back, VK_BROWSER_BACK}, {Qt::Key_Forward, VK_BROWSER_FORWARD},
    {Qt::Key_Refresh, VK_BROWSER_REFRESH}, {Qt::Key_Stop, VK_BROWSER_STOP},
    {Qt::Key_Search, VK_BROWSER_SEARCH}, {Qt::Key_Favorites, VK_BROWSER_FAVORITES},
    {Qt::Key_HomePage, VK_BROWSER_HOME}, {Qt::Key_VolumeMute, VK_VOLUME_MUTE},
    {Qt::Key_VolumeDown, VK_VOLUME_DOWN}, {Qt::Key_VolumeUp, VK_VOLUME_UP},
    {Qt::Key_MediaNext, VK_MEDIA_NEXT_TRACK}, {Qt::Key_MediaPrevious, VK_MEDIA_PREV_TRACK},
    {Qt::Key_MediaStop, VK_MEDIA_STOP}, {Qt::Key_MediaPlay, VK_MEDIA_PLAY_PAUSE},
    {Qt::Key_MediaPause, VK_MEDIA_PLAY_PAUSE}, {Qt::Key_MediaTogglePlayPause, VK_MEDIA_PLAY_PAUSE},
    {Qt::Key_LaunchMail, VK_LAUNCH_MAIL}, {Qt::Key_LaunchMedia, VK_LAUNCH_MEDIA_SELECT},
    {Qt::Key_Launch0, VK_LAUNCH_APP1}, {Qt::Key_Launch1, VK_LAUNCH_APP2},
    // Punctuation.
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2}, {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'}};
// clang-format on

template <std::size_t N> int codeOf(const KeyCode (&table)[N], int qtKey) {
    for (const KeyCode& k : table)
        if (k.qt == qtKey) return k.vk;
    return 0;
}

} // namespace

int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        if (const int vk = codeOf(KeypadKeys, qtKey)) return vk;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes as 'A'..'Z'
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
    if (const int vk = codeOf(Keys, qtKey)) return vk;
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

TMouseButton mouseButtonFromQt(Qt::MouseButton b) {
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

Qt::MouseButton mouseButtonToQt(TMouseButton b) {
    return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

} // namespace tk
