#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace test_support {

// Switches the process's C locale to one that writes and reads a decimal
// comma, as a host may do, for the lifetime of the object, and back to "C"
// afterwards. When the machine has no such locale compiled, one is built with
// localedef into a temporary folder. `active()` tells whether the switch took
// (checked by printing 1.5 with the C library).
class CommaLocale
{
public:
    CommaLocale()
    {
        _active = try_names();
        if (!_active) {
            const std::filesystem::path dir =
                std::filesystem::temp_directory_path() / "morvanel_test_locale";
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
            const std::string cmd =
                "localedef -i de_DE -f UTF-8 '" + dir.string() + "/de_DE.UTF-8' >/dev/null 2>&1";
            if (!ec && std::system(cmd.c_str()) >= 0) {
                setenv("LOCPATH", dir.c_str(), 1);
                _active = try_names();
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    [[nodiscard]] bool active() const { return _active; }

private:
    static bool try_names()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                char text[16];
                std::snprintf(text, sizeof text, "%.1f", 1.5);
                if (std::string(text) == "1,5") {
                    return true;
                }
            }
        }
        std::setlocale(LC_ALL, "C");
        return false;
    }

    bool _active = false;
};

} // namespace test_support
