#pragma once

// The key codes, shift states and mouse buttons the controls see, and how they map from Qt's.

#include "Types.h"

#include <Qt>

namespace tk {

// The virtual key codes the controls see: every key that has one gets it (see
// virtualKeyFromQt, whose table holds the codes of the keys named nowhere else); letters and
// digits are their upper-case characters.
enum VirtualKey {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60, // the digits of the keypad follow, to 0x69
    VK_MULTIPLY = 0x6A,
    VK_F1 = 0x70,
    VK_F24 = 0x87, // F1 to F24 in a row
    VK_VOLUME_UP = 0xAF,
    VK_MEDIA_PLAY_PAUSE = 0xB3,
    VK_OEM_1 = 0xBA,  // ; :
    VK_PACKET = 0xE7, // a character that no key code names
};

// The direction of an arrow key: 1 for Right and Down, -1 for Left and Up, 0 for any other key.
constexpr int arrowStep(int key) {
    return key == VK_RIGHT || key == VK_DOWN ? 1 : key == VK_LEFT || key == VK_UP ? -1 : 0;
}

// Maps between Qt's keys/modifiers and the virtual keys and shift state of the controls. A
// key of the keypad (`modifiers` has Qt::KeypadModifier) has codes of its own; a key that
// types a character no code names is VK_PACKET; a key with no code at all is 0.
int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The Qt key of a virtual key code (of the main keyboard); 0 for a code without one.
int qtKeyFromVirtual(int vk);
TShiftState shiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons buttons = Qt::NoButton);

constexpr TMouseButton mouseButtonFromQt(Qt::MouseButton b) {
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}
constexpr Qt::MouseButton mouseButtonToQt(TMouseButton b) {
    return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

} // namespace tk
