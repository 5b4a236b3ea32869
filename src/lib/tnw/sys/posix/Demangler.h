#pragma once

namespace tnw::sys::posix {

// Readable name of a compiler-encoded type name ("i" gives "int").
// Any thread; allocates (the platform demangler works in heap memory).
class Demangler
{
public:
    // Size of the buffer first handed to the demangler.
    static constexpr long BUF_SIZE = 8192;

    explicit Demangler(const char* mangled_0);
    ~Demangler();
    Demangler(const Demangler&) = delete;
    Demangler& operator=(const Demangler&) = delete;

    // The demangled name, or the raw name when demangling failed.
    [[nodiscard]] const char* get_name_0() const noexcept;

private:
    const char* _mangled_0;
    char* _demangled_0 = nullptr; // owned, from the C heap
};

} // namespace tnw::sys::posix
