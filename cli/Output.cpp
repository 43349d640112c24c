#include "Output.h"

#include <cstdio>

namespace cli {

void writeNote(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

void Output::line(std::string text) {
    add({false, std::move(text)});
}

void Output::note(std::string text) {
    add({true, std::move(text)});
}

void Output::add(Entry entry) {
    if (m_keep)
        m_kept.push_back(std::move(entry));
    else
        write(entry);
}

std::string Output::kept() const {
    std::string text;
    for (const Entry& entry : m_kept) {
        if (!text.empty()) text += '\n';
        text += entry.text;
    }
    return text;
}

void Output::release() {
    for (const Entry& entry : m_kept)
        write(entry);
    m_kept.clear();
}

void Output::write(const Entry& entry) const {
    if (entry.isNote) return writeNote(entry.text);
    std::fwrite(entry.text.data(), 1, entry.text.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace cli
