#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Writes `text` and a line end to standard error, after what is waiting for standard output,
// so that answers and notes reach a shared terminal or pipe in the order they were made.
void writeNote(std::string_view text);

// Where a look-up's answers go: its lines to standard output and its notes (what was not
// found) to standard error; or, for a notification, both kept in order.
class Output {
public:
    explicit Output(bool keep) : m_keep(keep) {}

    void line(std::string text);
    void note(std::string text);

    // What was kept, a line each, in order.
    std::string kept() const;
    // Writes what was kept where it would have gone.
    void release();

private:
    struct Entry {
        bool isNote;
        std::string text;
    };
    void add(Entry entry);
    void write(const Entry& entry) const;

    bool m_keep;
    std::vector<Entry> m_kept;
};

} // namespace cli
