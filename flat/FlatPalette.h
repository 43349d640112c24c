#pragma once

// The colours of the flat set, named once, and the one rule for the indexed colour setter
// that every flat control's colour properties share.

#include "Colors.h"

#include <QWidget>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace flat {

inline constexpr tk::TColor FlatBorderColor = 0x0061A588;        // RGB 136, 165, 97: frames
inline constexpr tk::TColor FlatFaceColor = 0x00E1EAEB;          // RGB 235, 234, 225: idle faces
inline constexpr tk::TColor FlatDownColor = 0x00C5D6D9;          // RGB 217, 214, 197: held down
inline constexpr tk::TColor FlatFocusedColor = 0x00FFFFFF;       // white: a focused box or edit
inline constexpr tk::TColor FlatButtonFocusedColor = 0x00FBBE99; // RGB 153, 190, 251: hot button
inline constexpr tk::TColor FlatShadowColor = 0x00C6C600;  // RGB 0, 198, 198: a hot button's frame
inline constexpr tk::TColor FlatCheckedColor = 0x00FF0080; // RGB 128, 0, 255: check mark and dot
inline constexpr tk::TColor FlatHotColor = 0x00E10000;     // RGB 0, 0, 225: a hot button's caption
inline constexpr tk::TColor GradientStartDefault = 0x00FBF1ED; // RGB 237, 241, 251
inline constexpr tk::TColor GradientStopDefault = 0x00F7DFD6;  // RGB 214, 223, 247

// The colour properties of a control, by their index in the control's own list. The rule
// of the shared setter: it stores without comparing, and the control repaints even for an
// equal value (callers use it to force a repaint). An index that names none of the
// control's colours is a programming error: it is refused with std::out_of_range, naming
// the control and the index, and nothing is stored or repainted.
template <std::size_t N> class IndexedColors {
public:
    IndexedColors(QWidget& owner, const char* ownerName, const std::array<tk::TColor, N>& initial)
        : m_owner(owner), m_ownerName(ownerName), m_colors(initial) {}

    tk::TColor operator[](int index) const { return m_colors[checked(index)]; }
    // Stores and repaints the owner.
    void set(int index, tk::TColor c) {
        m_colors[checked(index)] = c;
        m_owner.update();
    }

private:
    std::size_t checked(int index) const {
        if (index < 0 || index >= int(N))
            throw std::out_of_range(std::string(m_ownerName) + ": no colour has the index " +
                                    std::to_string(index));
        return std::size_t(index);
    }

    QWidget& m_owner;
    const char* m_ownerName;
    std::array<tk::TColor, N> m_colors;
};

// The indexed colour setter of a control whose colours are its IndexedColors `m_colors`,
// and the getter beside it.
#define FLAT_INDEXED_COLORS                                                                        \
    tk::TColor colorByIndex(int index) const {                                                     \
        return m_colors[index];                                                                    \
    }                                                                                              \
    void setColorByIndex(int index, tk::TColor c) {                                                \
        m_colors.set(index, c);                                                                    \
    }

// One colour of a control's IndexedColors `m_colors`, published as `getter` and `setter`;
// the setter is the control's indexed colour setter, setColorByIndex.
#define FLAT_INDEXED_COLOR(getter, setter, index)                                                  \
    tk::TColor getter() const {                                                                    \
        return m_colors[index];                                                                    \
    }                                                                                              \
    void setter(tk::TColor c) {                                                                    \
        setColorByIndex(index, c);                                                                 \
    }

} // namespace flat
