#pragma once

#include <filesystem>

namespace cli {

bool isThere(const std::filesystem::path& path);

// A folder of the installation, found beside the program as installed (<prefix>/bin/ and
// then `fromBindir`), so that a package or a moved prefix finds its own; else `configured`,
// the one of the prefix it was built for.
std::filesystem::path installedFolder(const char* fromBindir, const char* configured);

} // namespace cli
