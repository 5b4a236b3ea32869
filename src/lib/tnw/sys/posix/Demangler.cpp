#include "lib/tnw/sys/posix/Demangler.h"

#include <cstdlib>
#include <cxxabi.h>

namespace tnw::sys::posix {

Demangler::Demangler(const char* mangled_0) : _mangled_0((mangled_0 == nullptr) ? "" : mangled_0)
{
    // The demangler may grow the buffer with realloc, so it comes from malloc;
    // whatever it returns (the same or a moved buffer) is ours to free.
    auto* buf = static_cast<char*>(std::malloc(BUF_SIZE));
    if (buf == nullptr) {
        return;
    }
    std::size_t len = BUF_SIZE;
    int status = 0;
    char* result = abi::__cxa_demangle(_mangled_0, buf, &len, &status);
    if (status == 0 && result != nullptr) {
        _demangled_0 = result;
    } else {
        std::free((result != nullptr) ? result : buf);
    }
}

Demangler::~Demangler()
{
    std::free(_demangled_0);
}

const char* Demangler::get_name_0() const noexcept
{
    return (_demangled_0 != nullptr) ? _demangled_0 : _mangled_0;
}

} // namespace tnw::sys::posix
