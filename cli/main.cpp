// zarvik-lookup: the window's look-up in a terminal, and the reverse one from codes to
// characters. See helpText() in Options.cpp, or the manual page.

#include "Answers.h"
#include "CodeSearch.h"
#include "CodeTable.h"
#include "GbkCodec.h"
#include "LineReader.h"
#include "Lookup.h"
#include "Options.h"
#include "Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

enum ExitStatus : int { Found = 0, SomeNotFound = 1, Trouble = 2 };

constexpr const char* Cj5FileName = "cj5.m";
constexpr const char* Cj3FileName = "cj3.m";

bool isThere(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The installed tables: beside the program as installed (<prefix>/bin/../share/zarvik/tables),
// so that a package or a moved prefix finds its own; else those of the prefix it was built for.
fs::path installedTablesFolder() {
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof exe) {
        const fs::path folder =
            (fs::path(std::string(exe, static_cast<std::size_t>(length))).parent_path() /
             ZARVIK_TABLES_FROM_BINDIR)
                .lexically_normal();
        if (isThere(folder)) return folder;
    }
    return ZARVIK_INSTALLED_TABLES_DIR;
}

fs::path tablesFolder(const cli::Options& options) {
    if (!options.tablesFolder.empty()) return options.tablesFolder;
    // A folder with either table is a table folder: the other one missing there is an error
    // to report, not a reason to read someone else's.
    if (isThere(Cj5FileName) || isThere(Cj3FileName)) return ".";
    return installedTablesFolder();
}

// The message of a failure as the window's error box shows it: with a closing period when
// its last character compares greater than '.' (any character beyond ASCII does).
std::string withClosingPeriod(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

// Answers still waiting in stdout's buffer go out first, so that answers and notes reach a
// shared terminal or pipe in the order of the queries.
void note(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

void complain(const std::string& message) {
    note(std::string(cli::ProgramName) + ": " + message);
}

class Session {
public:
    explicit Session(const cli::Options& options) : m_options(options) {
        const fs::path folder = tablesFolder(options);
        // Only the tables asked for are read, each once, Cangjie 5 first.
        if (options.tables != cli::TableChoice::Cj3) load(folder / Cj5FileName);
        if (options.tables != cli::TableChoice::Cj5) load(folder / Cj3FileName);
    }

    void answer(std::string_view query) {
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

    void print(std::string_view line) {
        std::string text = gbk::decode(line);
        text += '\n';
        std::fwrite(text.data(), 1, text.size(), stdout);
    }

    void miss(const char* what, std::string_view query) {
        m_missed = true;
        note(std::string(what) + ": " + std::string(query));
    }

    const cli::Options& m_options;
    std::vector<dict::CodeTable> m_tables;
    bool m_missed = false;
};

ExitStatus run(const cli::Options& options) {
    Session session(options);
    if (!options.queries.empty()) {
        for (const std::string& query : options.queries)
            session.answer(query);
    } else {
        cli::LineReader input(STDIN_FILENO, "standard input");
        std::string line;
        while (input.next(line))
            session.answer(line);
    }
    return session.status();
}

// Output that could not be written is a failure, not a success with lines missing.
ExitStatus finish(ExitStatus status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain(std::string("write error: ") + std::strerror(errno));
        return Trouble;
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const cli::Options options = cli::parseOptions(argc, argv);
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
    } catch (const cli::UsageError& e) {
        if (*e.what() != '\0') complain(e.what());
        note(std::string("Try '") + cli::ProgramName + " --help' for more information.");
    } catch (const dict::TableError& e) {
        complain(withClosingPeriod(e.what()));
    } catch (const std::exception& e) {
        complain(e.what());
    }
    finish(Trouble);
    return Trouble;
}
