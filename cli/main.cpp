// zarvik-lookup: the window's look-up in a terminal, and the reverse one from codes to
// characters. See helpText() in Options.cpp, or the manual page.

#include "Answers.h"
#include "CodeSearch.h"
#include "CodeTable.h"
#include "DesktopLoader.h"
#include "GbkCodec.h"
#include "Installed.h"
#include "LineReader.h"
#include "Lookup.h"
#include "Options.h"
#include "Output.h"
#include "SelectionText.h"
#include "Utf8.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

enum ExitStatus : int { Found = 0, SomeNotFound = 1, Trouble = 2 };

constexpr const char* Cj5FileName = "cj5.m";
constexpr const char* Cj3FileName = "cj3.m";

// Long enough for any owner that is there, short enough for a key pressed on the desktop.
constexpr std::chrono::milliseconds DesktopAnswerLimit{1000};

constexpr const char* NothingSelectedText = "未选中文字";
constexpr const char* NothingCopiedText = "剪贴板中没有文字";
constexpr const char* CutText = "只查询了前20个字";

fs::path installedTablesFolder() {
    return cli::installedFolder(ZARVIK_TABLES_FROM_BINDIR, ZARVIK_INSTALLED_TABLES_DIR);
}

fs::path tablesFolder(const cli::Options& options) {
    if (!options.tablesFolder.empty()) return options.tablesFolder;
    // A folder with either table is a table folder: the other one missing there is an error
    // to report, not a reason to read someone else's.
    if (cli::isThere(Cj5FileName) || cli::isThere(Cj3FileName)) return ".";
    return installedTablesFolder();
}

// The message of a failure as the window's error box shows it: with a closing period when
// its last character compares greater than '.' (any character beyond ASCII does).
std::string withClosingPeriod(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

void complain(const std::string& message) {
    cli::writeNote(std::string(cli::ProgramName) + ": " + message);
}

class Session {
public:
    Session(const cli::Options& options, cli::Output& output)
        : m_options(options), m_output(output) {
        const fs::path folder = tablesFolder(options);
        // Only the tables asked for are read, each once, Cangjie 5 first.
        if (options.tables != cli::TableChoice::Cj3) load(folder / Cj5FileName);
        if (options.tables != cli::TableChoice::Cj5) load(folder / Cj3FileName);
    }

    void answer(std::string_view query) {
        if (!m_asked.empty()) m_asked += ' ';
        m_asked += query;
        switch (m_options.direction) {
        case cli::Direction::Text:
            if (m_options.each)
                lookUpEach(query);
            else
                lookUpText(query);
            break;
        case cli::Direction::Code:
            lookUpCode(query, dict::CodeMatch::Exact);
            break;
        case cli::Direction::CodePrefix:
            lookUpCode(query, dict::CodeMatch::Prefix);
            break;
        }
    }

    ExitStatus status() const { return m_missed ? SomeNotFound : Found; }
    // Every query answered, a blank between them.
    const std::string& asked() const { return m_asked; }

private:
    void load(const fs::path& path) {
        m_tables.emplace_back();
        m_tables.back().load(path.string());
    }

    void lookUpText(std::string_view text) {
        const auto needle = gbk::encode(text);
        if (!needle) return miss(dict::NotInGbkText, text);
        for (const dict::CodeTable& table : m_tables) {
            // The window's own look-up, so both give the same line.
            if (const auto index = dict::findFirstLine(table, *needle))
                print(table.line(static_cast<std::ptrdiff_t>(*index)));
            else
                miss(dict::NotFoundText, text);
        }
    }

    void lookUpEach(std::string_view text) {
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t length = utf8::charAt(text, pos).length;
            const std::string_view character = text.substr(pos, length);
            // Blanks separate the fields of every line: a blank has no line of its own.
            if (character != " " && character != "\t") lookUpText(character);
            pos += length;
        }
    }

    void lookUpCode(std::string_view code, dict::CodeMatch match) {
        for (const dict::CodeTable& table : m_tables) {
            const std::vector<std::size_t> lines = dict::findLinesByCode(table, code, match);
            if (lines.empty()) miss(dict::NotFoundText, code);
            for (const std::size_t index : lines)
                print(table.line(static_cast<std::ptrdiff_t>(index)));
        }
    }

    void print(std::string_view line) { m_output.line(gbk::decode(line)); }

    void miss(const char* what, std::string_view query) {
        m_missed = true;
        m_output.note(std::string(what) + ": " + std::string(query));
    }

    const cli::Options& m_options;
    cli::Output& m_output;
    std::vector<dict::CodeTable> m_tables;
    std::string m_asked;
    bool m_missed = false;
};

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

// Looks up what the options ask; `summary` gets what was looked up, in a few words.
ExitStatus lookUp(const cli::Options& options, cli::Output& output, std::string& summary) {
    if (options.source != cli::Source::Queries) {
        const cli::SelectedCharacters selected = selectedCharacters(options.source);
        if (selected.text.empty()) {
            output.note(options.source == cli::Source::Selection ? NothingSelectedText
                                                                 : NothingCopiedText);
            return SomeNotFound;
        }
        // A selection is answered a character at a time: as a whole it is rarely a line's text.
        cli::Options each = options;
        each.each = true;
        Session session(each, output);
        session.answer(selected.text);
        if (selected.cut) output.note(CutText);
        summary = selected.text;
        return session.status();
    }
    Session session(options, output);
    if (!options.queries.empty()) {
        for (const std::string& query : options.queries)
            session.answer(query);
    } else {
        cli::LineReader input(STDIN_FILENO, "standard input");
        std::string line;
        while (input.next(line))
            session.answer(line);
    }
    summary = session.asked();
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

ExitStatus run(const cli::Options& options) {
    cli::Output output(options.notify);
    std::string summary;
    const ExitStatus status = lookUp(options, output, summary);
    const std::string said = output.kept();
    if (!options.notify || (said.empty() && summary.empty())) return status;
    // With nothing looked up, what was said is all there is to show.
    const std::string trouble = summary.empty() ? notify(said, {}) : notify(summary, said);
    if (!trouble.empty()) {
        output.release();
        complain("no notification could be shown: " + trouble);
    }
    return status;
}

// Output that could not be written is a failure, not a success with lines missing.
ExitStatus finish(ExitStatus status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain(std::string("write error: ") + std::strerror(errno));
        return Trouble;
    }
    return status;
}

// What stops a command goes to standard error, and with --notify also to the desktop, where a
// command run from a shortcut has no terminal to say it in.
ExitStatus fail(const cli::Options& options, const std::string& message) {
    complain(message);
    if (options.notify) notify(cli::ProgramName, message);
    finish(Trouble);
    return Trouble;
}

} // namespace

int main(int argc, char** argv) {
    cli::Options options;
    try {
        options = cli::parseOptions(argc, argv);
    } catch (const cli::UsageError& e) {
        if (*e.what() != '\0') complain(e.what());
        cli::writeNote(std::string("Try '") + cli::ProgramName + " --help' for more information.");
        finish(Trouble);
        return Trouble;
    }
    try {
        switch (options.action) {
        case cli::Options::Action::Help:
            std::fputs(cli::helpText(installedTablesFolder().string()).c_str(), stdout);
            return finish(Found);
        case cli::Options::Action::Version:
            std::fputs(cli::versionText().c_str(), stdout);
            return finish(Found);
        case cli::Options::Action::LookUp:
            return finish(run(options));
        }
    } catch (const dict::TableError& e) {
        return fail(options, withClosingPeriod(e.what()));
    } catch (const std::exception& e) {
        return fail(options, e.what());
    }
    return fail(options, "unknown action");
}
