#include "Tables.h"

#include "Installed.h"
#include "TableFiles.h"

#include <string>

namespace cli {

namespace fs = std::filesystem;

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
    table.requireText(path.string());
    return table;
}

} // namespace cli
