#include "Options.h"

#include "GbkCodec.h"

#include <cstring>
#include <getopt.h>
#include <langinfo.h>

namespace cli {

namespace {

enum OptionId : int {
    OptCj5 = 256, // above every character, as getopt_long wants for long-only options
    OptCj3,
    OptBoth,
    OptEach,
    OptCode,
    OptPrefix,
    OptQuick,
    OptTables,
    OptSelection,
    OptClipboard,
    OptNotify,
    OptHelp,
    OptVersion,
};

constexpr option LongOptions[] = {
    {"cj5", no_argument, nullptr, OptCj5},
    {"cj3", no_argument, nullptr, OptCj3},
    {"both", no_argument, nullptr, OptBoth},
    {"each", no_argument, nullptr, OptEach},
    {"code", no_argument, nullptr, OptCode},
    {"prefix", no_argument, nullptr, OptPrefix},
    {"quick", no_argument, nullptr, OptQuick},
    {"tables", required_argument, nullptr, OptTables},
    {"selection", no_argument, nullptr, OptSelection},
    {"clipboard", no_argument, nullptr, OptClipboard},
    {"notify", no_argument, nullptr, OptNotify},
    {"help", no_argument, nullptr, OptHelp},
    {"version", no_argument, nullptr, OptVersion},
    {nullptr, 0, nullptr, 0},
};

// A query as the program reads it, in UTF-8: the terminal typed it in the locale's
// encoding, which on a GBK terminal is not UTF-8. Bytes that are not text in that encoding
// are taken as they stand (a script may pass UTF-8 in any locale).
std::string queryInUtf8(std::string query) {
    const char* encoding = ::nl_langinfo(CODESET);
    // The C locale's ASCII is a part of UTF-8: its programs pass UTF-8 through.
    if (std::strcmp(encoding, "UTF-8") == 0 || std::strcmp(encoding, "ANSI_X3.4-1968") == 0)
        return query;
    return codec::toUtf8(query, encoding).value_or(std::move(query));
}

void setSource(Options& options, Source source) {
    if (options.source != Source::Queries && options.source != source)
        throw UsageError("--selection and --clipboard name two different texts: give one");
    options.source = source;
}

} // namespace

Options parseOptions(int argc, char** argv) {
    // getopt_long names the program by argv[0] in its messages; ours name it plainly.
    std::vector<char*> args(argv, argv + argc);
    std::string name = ProgramName;
    if (args.empty()) args.push_back(nullptr);
    args[0] = name.data();
    args.push_back(nullptr);

    Options options;
    optind = 1;
    opterr = 1;
    for (;;) {
        const int id =
            getopt_long(static_cast<int>(args.size() - 1), args.data(), "", LongOptions, nullptr);
        if (id == -1) break;
        switch (id) {
        case OptCj5:
            options.tables = TableChoice::Cj5;
            break;
        case OptCj3:
            options.tables = TableChoice::Cj3;
            break;
        case OptBoth:
            options.tables = TableChoice::Both;
            break;
        case OptEach:
            options.each = true;
            break;
        case OptCode:
            options.direction = Direction::Code;
            break;
        case OptPrefix:
            options.direction = Direction::CodePrefix;
            break;
        case OptQuick:
            options.quick = true;
            break;
        case OptTables:
            options.tablesFolder = optarg;
            if (options.tablesFolder.empty()) throw UsageError("--tables needs a folder");
            break;
        case OptSelection:
            setSource(options, Source::Selection);
            break;
        case OptClipboard:
            setSource(options, Source::Clipboard);
            break;
        case OptNotify:
            options.notify = true;
            break;
        // The first of --help and --version wins, as with GNU tools.
        case OptHelp:
            if (options.action == Options::Action::LookUp) options.action = Options::Action::Help;
            break;
        case OptVersion:
            if (options.action == Options::Action::LookUp)
                options.action = Options::Action::Version;
            break;
        default:
            throw UsageError(""); // getopt_long has said what is wrong
        }
    }
    if (options.each && options.direction != Direction::Text)
        throw UsageError("--each goes with characters, not with --code or --prefix");
    for (int i = optind; i < static_cast<int>(args.size() - 1); ++i)
        options.queries.push_back(queryInUtf8(args[static_cast<std::size_t>(i)]));
    for (const std::string& query : options.queries)
        if (const auto why = noQuery(query)) throw UsageError(*why);
    if (options.source != Source::Queries) {
        const std::string option =
            options.source == Source::Selection ? "--selection" : "--clipboard";
        if (options.direction != Direction::Text)
            throw UsageError(option + " goes with characters, not with --code or --prefix");
        if (!options.queries.empty())
            throw UsageError(option + " takes no TEXT: it looks up what is selected or copied");
    }
    return options;
}

std::optional<std::string> noQuery(std::string_view query) {
    if (query.empty()) return "an empty query";
    if (query.find_first_not_of(" \t") == query.npos) return "a query of blanks only";
    return std::nullopt;
}

std::string helpText(const std::string& installedTables) {
    std::string text = std::string("Usage: ") + ProgramName + " [OPTION]... [TEXT]...\n" +
                       "  or:  " + ProgramName + " [OPTION]... --code|--prefix [CODE]...\n" +
                       "  or:  " + ProgramName + " [OPTION]... --selection|--clipboard\n";
    text += R"(Print the Cangjie code table line of each TEXT, as the Zarvik window shows it: the
first line that holds the text, with the character, each of its codes in letters and
the same keys as radicals. With --code or --prefix, go the other way: print the line
of every character with that code, most frequent first.
With no TEXT or CODE, read one from each line of standard input. With --selection or
--clipboard, look up each character of the text selected or copied on the desktop.

      --cj5         look in the Cangjie 5 table (the default)
      --cj3         look in the Cangjie 3 table
      --both        look in both: the Cangjie 5 line, then the Cangjie 3 line
      --each        one line for each character of TEXT, in order (blanks skipped,
                      and blank lines of standard input)
      --code        take each query as a code, in letters (case ignored), and print
                      every character whose code is exactly that
      --prefix      take each query as the start of a code, and print every
                      character with a code that starts with it
      --quick       show each code as its Quick (速成) code, its first and last
                      key; with --code or --prefix, the queries are Quick codes
      --tables=DIR  read the tables from DIR
      --selection   look up the text selected on the desktop (the X11 PRIMARY
                      selection, on Wayland through XWayland): each character, at
                      most the first 20, blanks and line ends skipped
      --clipboard   the same with the text last copied (the CLIPBOARD)
      --notify      show the answer as a desktop notification instead of printing
                      it; without a notification service, print it
      --help        display this help and exit
      --version     output version information and exit

Each version has two tables: cj5-utf8.m and cj3-utf8.m hold every character, cj5.m
and cj3.m the characters GBK can hold. The first is read where it is there, else the
second. The tables come from DIR, else from the working directory when it holds any
of them, else from the installed tables in )" +
            installedTables + R"(.

Queries on the command line are read in the locale's encoding, those on standard input
in UTF-8 (a byte-order mark before them is skipped). Lines are printed in UTF-8; on a
terminal, control characters and bytes that are no UTF-8 show as \xHH (or \u0080 to
\u009F). A query that finds nothing prints "未找到: TEXT" to standard error, and a text
with a character outside GBK, where only the GBK table is there, "不在GBK字符集中: TEXT".
When no text is selected, --selection says "未选中文字" and --clipboard
"剪贴板中没有文字"; a longer selection adds "只查询了前20个字".

Exit status: 0 when every query found its line, 1 when some found nothing or no text
is selected, 2 when the command line is wrong (a query of blanks only, from standard
input too but with --each), a table cannot be read or is empty, the answers cannot be
written, or the selection cannot be read (no X display, or its owner does not answer
within a second).

Examples:
  )" + ProgramName +
            R"( 字                字 jnd 十弓木
  )" + ProgramName +
            R"( --each 仓颉       the lines of 仓 and of 颉
  )" + ProgramName +
            R"( --code jnd        every character typed jnd, most frequent first
  )" + ProgramName +
            R"( --quick 字        字 jd 十木
  )" + ProgramName +
            R"( --selection --notify   the selected characters' lines as a notification
)";
    return text;
}

std::string versionText() {
    return std::string(ProgramName) + " (Zarvik) " + ZARVIK_VERSION + "\n";
}

} // namespace cli
