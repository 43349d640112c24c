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

#include <chrono>
#include <clocale>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

// Long enough for any owner that is there, short enough for a key pressed on the desktop.
constexpr std::chrono::milliseconds DesktopAnswerLimit{1000};

constexpr const char* NothingSelectedText = "未选中文字";
constexpr const char* NothingCopiedText = "剪贴板中没有文字";
constexpr const char* CutText = "只查询了前20个字";

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

// Looks up what the options ask; `summary` gets what was looked up, in a few words.
cli::ExitStatus lookUp(const cli::Options& options, cli::Output& out, std::string& summary) {
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
        summary = selected.text;
        return session.status();
    }
    cli::Session session(options, out);
    const auto answer = [&](std::string_view query) {
        if (!summary.empty()) summary += ' ';
        summary += query;
        session.answer(query);
    };
    if (!options.queries.empty()) {
        for (const std::string& query : options.queries)
            answer(query);
    } else {
        cli::LineReader input(STDIN_FILENO, "standard input", [&out] { out.flush(); });
        std::string line;
        bool noQueries = false;
        while (input.next(line)) {
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

// Writes what answers are still waiting or kept, so that a message comes after them, and
// says so when they cannot be written.
void flushBeforeMessage(cli::Output& out) {
    try {
        out.release();
        out.flush();
    } catch (const cli::OutputError& e) {
        out.note(std::string(cli::ProgramName) + ": " + e.what());
    }
}

void complain(cli::Output& out, const std::string& message) {
    flushBeforeMessage(out);
    out.note(std::string(cli::ProgramName) + ": " + message);
}

cli::ExitStatus run(const cli::Options& options, cli::Output& out) {
    if (options.notify) out.keep();
    std::string summary;
    const cli::ExitStatus status = lookUp(options, out, summary);
    const std::string said = out.kept();
    if (!options.notify || (said.empty() && summary.empty())) return status;
    // With nothing looked up, what was said is all there is to show.
    const std::string trouble = summary.empty() ? notify(said, {}) : notify(summary, said);
    if (!trouble.empty()) complain(out, "no notification could be shown: " + trouble);
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
