#include "lib/sys/ResourceManager.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using test_support::ScratchFolder;

TEST(ResourceManager, FindsResourcesByTypeAndNameAndKeepsThem)
{
    ScratchFolder folder;
    sys::ResourceManager& mgr = sys::ResourceManager::use_instance();
    mgr.set_folder(folder.path().string());
    struct Case
    {
        const char* type;
        const char* name;
        const char* file; // null: no file is made
        const char* bytes;
    };
    const Case found[] = {
        {"TWBK", "static_presets", "static_presets.TWBK", "bank"},
        {"apic2", "knob", "knob.apic", "picture"},
        {"wave", "click", "click.wav", "RIFF"},
        {"font", "empty", "empty.font", ""},
    };
    for (const Case& c : found) {
        ScratchFolder::write(folder.file(c.file), c.bytes);
    }
    const void* first = nullptr;
    for (const Case& c : found) {
        long size = -1;
        const void* data = sys::get_resource(c.type, c.name, size);
        ASSERT_NE(data, nullptr) << c.file;
        ASSERT_EQ(size, long(std::strlen(c.bytes)));
        EXPECT_EQ(std::memcmp(data, c.bytes, std::size_t(size)), 0);
        first = first == nullptr ? data : first;
    }

    // A second look-up gives the same bytes at the same place, also after the file and the
    // folder changed.
    ScratchFolder::write(folder.file("static_presets.TWBK"), "changed");
    mgr.set_folder("");
    long size = 0;
    EXPECT_EQ(mgr.find("TWBK", "static_presets", size), nullptr);
    mgr.set_folder(folder.path().string());
    EXPECT_EQ(mgr.find("TWBK", "static_presets", size), first);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(std::memcmp(first, "bank", 4), 0);

    const char* missing[][2] = {{"TWBK", "other"},      {"twbk", "static_presets"}, {"TWBK", ""},
                                {"", "static_presets"}, {"TWBK", "../x"},           {nullptr, "x"}};
    ScratchFolder::write(folder.path().parent_path().string() + "/x.TWBK", "outside");
    for (const auto& m : missing) {
        size = 7;
        EXPECT_EQ(mgr.find(m[0], m[1], size), nullptr) << (m[1] == nullptr ? "" : m[1]);
        EXPECT_EQ(size, 7);
    }
    std::filesystem::remove(folder.path().parent_path() / "x.TWBK");
    std::filesystem::create_directory(folder.path() / "dir.TWBK");
    EXPECT_EQ(mgr.find("TWBK", "dir", size), nullptr);
}

} // namespace
