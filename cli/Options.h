#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The program's name in its messages, whatever path started it.
inline constexpr const char* ProgramName = "zarvik-lookup";

// A command line the program cannot run; what() is the reason, or empty when the option
// parser has already said it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TableChoice { Cj5, Cj3, Both };

// From a character to its line, or from a code to its characters.
enum class Direction { Text, Code, CodePrefix };

// What is looked up: the queries given (or standard input's lines), or the text selected on
// the desktop.
enum class Source { Queries, Selection, Clipboard };

struct Options {
    enum class Action { LookUp, Help, Version };
    Action action = Action::LookUp;
    TableChoice tables = TableChoice::Cj5;
    Direction direction = Direction::Text;
    bool each = false;
    Source source = Source::Queries;
    bool notify = false;              // the answer as a desktop notification
    bool quick = false;               // codes as Quick codes, shown and searched
    std::string tablesFolder;         // empty: the working directory or the installed tables
    std::vector<std::string> queries; // none: one a line from standard input
};

// Throws UsageError for options that are unknown, lack their argument or do not go together,
// and for a query of blanks only.
Options parseOptions(int argc, char** argv);

// Why `query` is none, or nothing when it is one: a text of blanks only (or none at all)
// would find the first line with a blank, which no one asks for.
std::optional<std::string> noQuery(std::string_view query);

// The --help text; `installedTables` is the folder of the installed tables.
std::string helpText(const std::string& installedTables);

std::string versionText();

} // namespace cli
