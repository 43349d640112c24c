#include "DesktopLoader.h"

#include "Installed.h"

#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace cli {

const desktop::Functions& desktopFunctions() {
    static const desktop::Functions* functions = nullptr;
    if (functions) return *functions;
    const std::string path =
        (installedFolder(ZARVIK_MODULE_FROM_BINDIR, ZARVIK_INSTALLED_MODULE_DIR) /
         ZARVIK_MODULE_FILE)
            .string();
    // Never closed: the module may leave a call behind that is still running when it gives up.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        throw std::runtime_error("cannot load the desktop part of the program: " +
                                 std::string(::dlerror()));
    using Entry = const desktop::Functions* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(module, desktop::FunctionsSymbol));
    if (!entry)
        throw std::runtime_error("cannot load the desktop part of the program: " + path +
                                 " lacks " + desktop::FunctionsSymbol);
    functions = entry();
    return *functions;
}

} // namespace cli
