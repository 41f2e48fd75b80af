#include "print/cups_library.hpp"

#include <dlfcn.h>

namespace novemra {

namespace {

// The soname of the libcups the program was built against.
constexpr const char* kCupsSoname = "libcups.so.2";

bool load(CupsLibrary& library) {
    void* handle = ::dlopen(kCupsSoname, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return false;
    }
    bool complete = true;
#define NOVEMRA_CUPS_LOOKUP(name)                                                    \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(handle, #name)); \
    complete = complete && library.name != nullptr;
    NOVEMRA_CUPS_FUNCTIONS(NOVEMRA_CUPS_LOOKUP)
#undef NOVEMRA_CUPS_LOOKUP
    return complete;
}

}  // namespace

const CupsLibrary* cupsLibrary() {
    static const CupsLibrary loaded = [] {
        CupsLibrary library;
        if (!load(library)) {
            library = CupsLibrary{};
        }
        return library;
    }();
    return loaded.ippPort != nullptr ? &loaded : nullptr;
}

}  // namespace novemra
