#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace test_support {

// A fresh empty folder under the system's temporary folder, removed with everything in it
// when the object goes.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::random_device device;
        _path = std::filesystem::temp_directory_path() /
                ("morvanel_test_" + std::to_string(device()) + std::to_string(device()));
        std::filesystem::create_directories(_path);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(_path, ec);
    }

    [[nodiscard]] const std::filesystem::path& path() const { return _path; }
    [[nodiscard]] std::string file(const std::string& name) const
    {
        return (_path / name).string();
    }

    // Number of entries in the folder.
    [[nodiscard]] long count_entries() const
    {
        return long(std::distance(std::filesystem::directory_iterator(_path),
                                  std::filesystem::directory_iterator()));
    }

    static void write(const std::string& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path _path;
};

} // namespace test_support
