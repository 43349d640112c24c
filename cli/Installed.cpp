#include "Installed.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

bool isThere(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::filesystem::path installedFolder(const char* fromBindir, const char* configured) {
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof exe) {
        const std::filesystem::path folder =
            (std::filesystem::path(std::string(exe, static_cast<std::size_t>(length)))
                 .parent_path() /
             fromBindir)
                .lexically_normal();
        if (isThere(folder)) return folder;
    }
    return configured;
}

} // namespace cli
