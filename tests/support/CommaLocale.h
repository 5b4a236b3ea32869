#pragma once

#include <clocale>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace test_support {

// Switches the process's C locale to one that writes and reads a decimal
// comma, as a host may do, for the lifetime of the object, and back to "C"
// afterwards. `active()` tells whether the switch took (checked by printing
// 1.5 with the C library); the project's set-up script installs de_DE.UTF-8.
class CommaLocale
{
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                char text[16];
                std::snprintf(text, sizeof text, "%.1f", 1.5);
                if (std::string(text) == "1,5") {
                    _active = true;
                    return;
                }
            }
        }
        std::setlocale(LC_ALL, "C");
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    [[nodiscard]] bool active() const { return _active; }

private:
    bool _active = false;
};

} // namespace test_support
