#include "SelectionText.h"

#include "Utf8.h"

namespace cli {

namespace {

constexpr std::string_view Replacement = "\uFFFD";

} // namespace

SelectedCharacters selectedCharacters(std::string_view selection) {
    SelectedCharacters selected;
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < selection.size();) {
        const utf8::Char ch = utf8::charAt(selection, pos);
        if (!ch.valid || !isBlank(ch.code)) {
            if (count == MaxSelectedCharacters) {
                selected.cut = true;
                break;
            }
            selected.text += ch.valid ? selection.substr(pos, ch.length) : Replacement;
            ++count;
        }
        pos += ch.length;
    }
    return selected;
}

std::string wellFormed(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const utf8::Char ch = utf8::charAt(text, pos);
        result += ch.valid ? text.substr(pos, ch.length) : Replacement;
        pos += ch.length;
    }
    return result;
}

} // namespace cli
