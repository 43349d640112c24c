#include "Tables.h"

#include "Installed.h"
#include "TableFiles.h"

#include <string>

namespace cli {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const fs::path& path, const std::string& why) {
    std::string name = path.string();
    try {
        name = fs::absolute(path).lexically_normal().string();
    } catch (const fs::filesystem_error&) {
        // No working directory to join with: the name as given.
    }
    throw dict::TableError("Cannot read file \"" + name + "\". " + why);
}

// A table is text with a line for each character. The window reads one only up to a NUL, as
// it always has; here the lines after it would be missing without a word, and queries would
// wrongly find nothing. So would they in an empty table of every character, which would
// hide the GBK table beside it.
void refuseNonText(const dict::CodeTable& table, const fs::path& path) {
    if (table.dataSize() == 0)
        refuse(path, "It is empty, and a code table has a line for each character");
    if (table.textEnd() == table.dataSize()) return;
    // The NUL ends the last line read, or starts the line after it.
    const std::size_t line = table.count() > 0 && table.textEnd() == table.text().size()
                                 ? table.count()
                                 : table.count() + 1;
    refuse(path,
           "It holds a NUL byte in line " + std::to_string(line) + ", and a code table is text");
}

} // namespace

fs::path installedTablesFolder() {
    return installedFolder(ZARVIK_TABLES_FROM_BINDIR, ZARVIK_INSTALLED_TABLES_DIR);
}

fs::path tablesFolder(const Options& options) {
    if (!options.tablesFolder.empty()) return options.tablesFolder;
    // A folder with any table is a table folder: one missing there is an error to report,
    // not a reason to read someone else's.
    for (const char* name :
         {dict::Cj5FileName, dict::Cj3FileName, dict::Cj5Utf8FileName, dict::Cj3Utf8FileName})
        if (isThere(name)) return ".";
    return installedTablesFolder();
}

dict::CodeTable loadTable(const fs::path& folder, Version version) {
    const bool cj5 = version == Version::Cj5;
    const fs::path utf8 = folder / (cj5 ? dict::Cj5Utf8FileName : dict::Cj3Utf8FileName);
    const bool everyCharacter = isThere(utf8);
    const fs::path path =
        everyCharacter ? utf8 : folder / (cj5 ? dict::Cj5FileName : dict::Cj3FileName);
    dict::CodeTable table(everyCharacter ? dict::TextEncoding::Utf8 : dict::TextEncoding::Gbk);
    table.load(path.string());
    refuseNonText(table, path);
    return table;
}

} // namespace cli
