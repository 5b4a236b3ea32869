#pragma once

#include <cstddef>
#include <string>

namespace host::offline::posix {

// Main thread only; one object at a time. While it lives, the process's
// standard output is set aside for the bytes given to `write`, and whatever
// else the process writes there (the libraries' own messages) goes to the
// standard error instead. Its end puts the standard output back.
class StandardOutput
{
public:
    StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;
    ~StandardOutput();

    // Writes every byte to the standard output set aside; false with the
    // system's reason in `reason`.
    [[nodiscard]] bool write(const void* data, std::size_t size, std::string& reason);

private:
    // A descriptor of the standard output set aside; -1 when there is none.
    int _kept = -1;
};

} // namespace host::offline::posix
