// zarvik-lookup: the window's look-up in a terminal, and the reverse one from codes to
// characters. See helpText() in Options.cpp, or the manual page.

#include "CodeTable.h"
#include "DesktopLoader.h"
#include "LineReader.h"
#include "Options.h"
#include "Output.h"
#include "SelectionText.h"
#include "Session.h"
#include "Tables.h"
#include "Utf8.h"

#include <chrono>
#include <clocale>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// Long enough for any owner that is there, short enough for a key pressed on the desktop.
constexpr std::chrono::milliseconds DesktopAnswerLimit{1000};

constexpr const char* NothingSelectedText = "未选中文字";
constexpr const char* NothingCopiedText = "剪贴板中没有文字";
constexpr const char* CutText = "只查询了前20个字";

// More than any notification shows: an answer longer than this is printed instead.
constexpr std::size_t MaxNotifiedBytes = 64 * 1024;

// What was looked up, in a few words: a notification's summary. It holds the first queries,
// up to a length that a notification shows, and says "…" where it leaves the rest out.
class Summary {
public:
    void add(std::string_view query) {
        if (m_full) return;
        if (!m_text.empty()) m_text += ' ';
        const std::size_t room = MaxBytes > m_text.size() ? MaxBytes - m_text.size() : 0;
        if (query.size() <= room) {
            m_text += query;
            return;
        }
        m_text.append(query.substr(0, utf8::characterStart(query, room))).append("…");
        m_full = true;
    }
    const std::string& text() const { return m_text; }

private:
    static constexpr std::size_t MaxBytes = 200;
    std::string m_text;
    bool m_full = false;
};

// The message of a failure as the window's error box shows it: with a closing period when
// its last character compares greater than '.' (any character beyond ASCII does).
std::string withClosingPeriod(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

// The characters of the selection or the clipboard that are looked up; empty when it holds
// no text.
cli::SelectedCharacters selectedCharacters(cli::Source source) {
    const auto which = source == cli::Source::Selection ? desktop::Selection::Primary
                                                        : desktop::Selection::Clipboard;
    const desktop::SelectionReading reading =
        cli::desktopFunctions().readSelection(which, DesktopAnswerLimit);
    if (reading.outcome == desktop::SelectionReading::Outcome::Failed)
        throw std::runtime_error(reading.trouble);
    return cli::selectedCharacters(reading.text);
}

// Looks up what the options ask; `summary` gets what was looked up.
cli::ExitStatus lookUp(const cli::Options& options, cli::Output& out, Summary& summary) {
    if (options.source != cli::Source::Queries) {
        const cli::SelectedCharacters selected = selectedCharacters(options.source);
        if (selected.text.empty()) {
            out.note(options.source == cli::Source::Selection ? NothingSelectedText
                                                              : NothingCopiedText);
            return cli::SomeNotFound;
        }
        // A selection is answered a character at a time: as a whole it is rarely a line's text.
        cli::Options each = options;
        each.each = true;
        cli::Session session(each, out);
        session.answer(selected.text);
        if (selected.cut) out.note(CutText);
        summary.add(selected.text);
        return session.status();
    }
    cli::Session session(options, out);
    const auto answer = [&](std::string_view query) {
        summary.add(query);
        session.answer(query);
    };
    if (!options.queries.empty()) {
        for (const std::string& query : options.queries)
            answer(query);
    } else {
        // A whole text may be one long line: with --each it is read a piece at a time.
        cli::LineReader input(
            STDIN_FILENO, "standard input", [&out] { out.flush(); }, options.each);
        std::string line;
        bool noQueries = false;
        while (input.next(line)) {
            // In a text looked up a character at a time, an empty line or one of spaces is no
            // query that went wrong, only blanks that are skipped.
            if (options.each && utf8::allCharacters(line, cli::isBlankCharacter)) continue;
            // Said, and passed over: the queries after it are still answered.
            if (const auto why = cli::noQuery(line)) {
                out.note(std::string(cli::ProgramName) + ": line " +
                         std::to_string(input.lineNumber()) + " of standard input: " + *why);
                noQueries = true;
                continue;
            }
            answer(line);
        }
        if (noQueries) return cli::Trouble;
    }
    return session.status();
}

// Shows `summary` and `body` as a notification; else says why not, and returns it.
std::string notify(const std::string& summary, const std::string& body) {
    try {
        return cli::desktopFunctions().notify({cli::wellFormed(summary), cli::wellFormed(body)},
                                              DesktopAnswerLimit);
    } catch (const std::exception& e) {
        return e.what();
    }
}

// Writes what answers are still waiting or kept, so that a message comes after them; says
// so, and answers false, when they cannot be written.
bool flushBeforeMessage(cli::Output& out) {
    try {
        out.release();
        out.flush();
        return true;
    } catch (const cli::OutputError& e) {
        out.note(std::string(cli::ProgramName) + ": " + e.what());
        return false;
    }
}

bool complain(cli::Output& out, const std::string& message) {
    const bool written = flushBeforeMessage(out);
    out.note(std::string(cli::ProgramName) + ": " + message);
    return written;
}

cli::ExitStatus run(const cli::Options& options, cli::Output& out) {
    if (options.notify) out.keep(MaxNotifiedBytes);
    Summary summary;
    const cli::ExitStatus status = lookUp(options, out, summary);
    if (!options.notify) return status;
    if (out.keepingOverflowed()) {
        out.note(std::string(cli::ProgramName) +
                 ": the answer is too long for a notification: printed instead");
        return status;
    }
    const std::string said = out.kept();
    if (said.empty() && summary.text().empty()) return status;
    // With nothing looked up, what was said is all there is to show.
    const std::string trouble =
        summary.text().empty() ? notify(said, {}) : notify(summary.text(), said);
    // The answer printed instead must reach its reader, as any answer must.
    if (!trouble.empty() && !complain(out, "no notification could be shown: " + trouble))
        return cli::Trouble;
    return status;
}

// What stops a command goes to standard error, and with --notify also to the desktop, where a
// command run from a shortcut has no terminal to say it in.
cli::ExitStatus fail(const cli::Options& options, cli::Output& out, const std::string& message) {
    complain(out, message);
    if (options.notify) notify(cli::ProgramName, message);
    return cli::Trouble;
}

} // namespace

int main(int argc, char** argv) {
    // The encoding of the command line's text; messages stay those of the C locale.
    std::setlocale(LC_CTYPE, "");
    cli::Output out(STDOUT_FILENO, STDERR_FILENO);
    cli::Options options;
    try {
        options = cli::parseOptions(argc, argv);
    } catch (const cli::UsageError& e) {
        if (*e.what() != '\0') complain(out, e.what());
        flushBeforeMessage(out);
        out.note(std::string("Try '") + cli::ProgramName + " --help' for more information.");
        return cli::Trouble;
    }
    try {
        cli::ExitStatus status = cli::Found;
        switch (options.action) {
        case cli::Options::Action::Help:
            out.write(cli::helpText(cli::installedTablesFolder().string()));
            break;
        case cli::Options::Action::Version:
            out.write(cli::versionText());
            break;
        case cli::Options::Action::LookUp:
            status = run(options, out);
            break;
        }
        // Output that could not be written is a failure, not a success with lines missing.
        out.flush();
        return status;
    } catch (const dict::TableError& e) {
        return fail(options, out, withClosingPeriod(e.what()));
    } catch (const std::exception& e) {
        return fail(options, out, e.what());
    }
}
