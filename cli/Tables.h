#pragma once

#include "CodeTable.h"
#include "Options.h"

#include <filesystem>

namespace cli {

// The installed tables: beside the program as installed (<prefix>/bin/../share/zarvik/tables),
// so that a package or a moved prefix finds its own; else those of the prefix it was built for.
std::filesystem::path installedTablesFolder();

// Where the tables are read from: --tables, else the working directory when it holds any
// table, else the installed ones.
std::filesystem::path tablesFolder(const Options& options);

enum class Version { Cj5, Cj3 };

// The table of `version` in `folder`: the one of every character (UTF-8) where it is there,
// else the GBK one. Throws dict::TableError when the table cannot be read or holds a NUL.
dict::CodeTable loadTable(const std::filesystem::path& folder, Version version);

} // namespace cli
