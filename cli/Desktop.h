#pragma once

// What zarvik-lookup asks of the desktop: the text of a selection (X11, libxcb) and a
// notification (the session bus, sd-bus). It lives in a module of its own that the program
// loads only when a command asks for the desktop, so that a plain look-up loads neither
// library and opens no connection.

#include <chrono>
#include <string>

namespace desktop {

enum class Selection { Primary, Clipboard };

struct SelectionReading {
    enum class Outcome { Text, NoText, Failed };
    Outcome outcome = Outcome::Failed;
    std::string text;    // Text: the selection in UTF-8, cut at MaxSelectionBytes
    std::string trouble; // Failed: why it could not be read, in words
};

// Far more than any look-up reads of a selection: a longer text is cut here.
inline constexpr std::size_t MaxSelectionBytes = 1024 * 1024;

struct Notification {
    std::string summary;
    std::string body; // plain text, lines separated by LF
};

// Both calls return within `limit`, whatever the other side does: a selection owner or a
// bus that never answers is given up.
struct Functions {
    SelectionReading (*readSelection)(Selection which, std::chrono::milliseconds limit);
    // Empty when the notification went out; else why it did not.
    std::string (*notify)(const Notification& notification, std::chrono::milliseconds limit);
};

// The module's own definitions, which the program reaches through Functions.
SelectionReading readSelection(Selection which, std::chrono::milliseconds limit);
std::string notify(const Notification& notification, std::chrono::milliseconds limit);

// The module's one exported symbol.
inline constexpr const char* FunctionsSymbol = "zarvik_desktop_functions";

} // namespace desktop

extern "C" const desktop::Functions* zarvik_desktop_functions();
