#pragma once

// The key codes, shift states and mouse buttons the controls see, and how they map from Qt's.

#include "Types.h"

#include <Qt>

namespace tk {

// The virtual key codes the controls see: every key that has one gets it (see
// virtualKeyFromQt); letters and digits are their upper-case characters.
enum VirtualKey {
    VK_CANCEL = 0x03,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_KANA = 0x15,
    VK_HANJA = 0x19,
    VK_ESCAPE = 0x1B,
    VK_CONVERT = 0x1C,
    VK_NONCONVERT = 0x1D,
    VK_MODECHANGE = 0x1F,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SELECT = 0x29,
    VK_PRINT = 0x2A,
    VK_EXECUTE = 0x2B,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_SLEEP = 0x5F,
    VK_NUMPAD0 = 0x60, // the digits of the keypad follow, to 0x69
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F4 = 0x73,
    VK_F24 = 0x87, // F1 to F24 in a row
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_BROWSER_BACK = 0xA6,
    VK_BROWSER_FORWARD = 0xA7,
    VK_BROWSER_REFRESH = 0xA8,
    VK_BROWSER_STOP = 0xA9,
    VK_BROWSER_SEARCH = 0xAA,
    VK_BROWSER_FAVORITES = 0xAB,
    VK_BROWSER_HOME = 0xAC,
    VK_VOLUME_MUTE = 0xAD,
    VK_VOLUME_DOWN = 0xAE,
    VK_VOLUME_UP = 0xAF,
    VK_MEDIA_NEXT_TRACK = 0xB0,
    VK_MEDIA_PREV_TRACK = 0xB1,
    VK_MEDIA_STOP = 0xB2,
    VK_MEDIA_PLAY_PAUSE = 0xB3,
    VK_LAUNCH_MAIL = 0xB4,
    VK_LAUNCH_MEDIA_SELECT = 0xB5,
    VK_LAUNCH_APP1 = 0xB6,
    VK_LAUNCH_APP2 = 0xB7,
    VK_OEM_1 = 0xBA, // ; :
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,  // / ?
    VK_OEM_3 = 0xC0,  // ` ~
    VK_OEM_4 = 0xDB,  // [ {
    VK_OEM_5 = 0xDC,  // \ |
    VK_OEM_6 = 0xDD,  // ] }
    VK_OEM_7 = 0xDE,  // ' "
    VK_PACKET = 0xE7, // a character that no key code names
    VK_PLAY = 0xFA,
    VK_ZOOM = 0xFB,
};

// Maps between Qt's keys/modifiers and the virtual keys and shift state of the controls. A
// key of the keypad (`modifiers` has Qt::KeypadModifier) has codes of its own; a key that
// types a character no code names is VK_PACKET; a key with no code at all is 0.
int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The Qt key of a virtual key code (of the main keyboard); 0 for a code without one.
int qtKeyFromVirtual(int vk);
TShiftState shiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons buttons = Qt::NoButton);

TMouseButton mouseButtonFromQt(Qt::MouseButton b);
Qt::MouseButton mouseButtonToQt(TMouseButton b);

} // namespace tk
