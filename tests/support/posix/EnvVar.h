#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace test_support {

// Sets (or, with a null value, unsets) one environment variable for the
// object's lifetime and restores the old state after. Not for tests that run
// other threads reading the environment.
class EnvVar
{
public:
    EnvVar(const char* name, const char* value) : _name(name)
    {
        if (const char* old = std::getenv(name)) {
            _old = old;
        }
        if (value == nullptr) {
            ::unsetenv(name);
        } else {
            ::setenv(name, value, 1);
        }
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;
    ~EnvVar()
    {
        if (_old) {
            ::setenv(_name, _old->c_str(), 1);
        } else {
            ::unsetenv(_name);
        }
    }

private:
    const char* _name;
    std::optional<std::string> _old;
};

} // namespace test_support
