// zarvik-lookup: the window's look-up in a terminal, and the reverse one from codes to
// characters. See helpText() in Options.cpp, or the manual page.

#include "CodeTable.h"
#include "LineReader.h"
#include "Options.h"
#include "Output.h"
#include "Session.h"
#include "Tables.h"

#include <clocale>
#include <string>
#include <unistd.h>

namespace {

// The message of a failure as the window's error box shows it: with a closing period when
// its last character compares greater than '.' (any character beyond ASCII does).
std::string withClosingPeriod(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

cli::ExitStatus run(const cli::Options& options, cli::Output& out) {
    cli::Session session(options, out);
    if (!options.queries.empty()) {
        for (const std::string& query : options.queries)
            session.answer(query);
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
            session.answer(line);
        }
        if (noQueries) return cli::Trouble;
    }
    return session.status();
}

// Writes what answers are still waiting, so that a message comes after them, and says so
// when they cannot be written.
void flushBeforeMessage(cli::Output& out) {
    try {
        out.flush();
    } catch (const cli::OutputError& e) {
        out.note(std::string(cli::ProgramName) + ": " + e.what());
    }
}

void complain(cli::Output& out, const std::string& message) {
    flushBeforeMessage(out);
    out.note(std::string(cli::ProgramName) + ": " + message);
}

} // namespace

int main(int argc, char** argv) {
    // The encoding of the command line's text; messages stay those of the C locale.
    std::setlocale(LC_CTYPE, "");
    cli::Output out(STDOUT_FILENO, STDERR_FILENO);
    try {
        const cli::Options options = cli::parseOptions(argc, argv);
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
    } catch (const cli::UsageError& e) {
        if (*e.what() != '\0') complain(out, e.what());
        flushBeforeMessage(out);
        out.note(std::string("Try '") + cli::ProgramName + " --help' for more information.");
    } catch (const dict::TableError& e) {
        complain(out, withClosingPeriod(e.what()));
    } catch (const std::exception& e) {
        complain(out, e.what());
    }
    return cli::Trouble;
}
