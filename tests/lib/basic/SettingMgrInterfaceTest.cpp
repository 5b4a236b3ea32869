#include "lib/basic/SettingMgrInterface.h"
#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"

#include "support/ScratchFolder.h"
#include "support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using basic::ConfKeyMulti;
using basic::SettingMgrInterface;
using test_support::ScratchFolder;

// Records every call into a shared log; saves one leaf and finds it again on loading.
class RecordingClient : public basic::SettingClientInterface
{
public:
    RecordingClient(std::string id, std::vector<std::string>& log, int result = 0)
        : _id(std::move(id)), _log(log), _result(result)
    {
    }

    int save_settings(ConfKeyMulti& root) override
    {
        _log.push_back("save " + _id);
        root.push_back(basic::ConfKeyData(_id, value));
        return _result;
    }

    int load_settings(const ConfKeyMulti& root) override
    {
        _log.push_back("load " + _id + " " + root.get_name() + " " +
                       std::to_string(root.get_nbr_keys()));
        loaded = root.get_key_str(_id);
        return _result;
    }

    std::string value = "v";
    std::string loaded;

private:
    std::string _id;
    std::vector<std::string>& _log;
    int _result;
};

TEST(SettingMgrInterface, RegistrationCodes)
{
    SettingMgrInterface mgr;
    std::vector<std::string> log;
    RecordingClient a("a", log);
    RecordingClient b("b", log);
    EXPECT_EQ(mgr.register_client(a), 0);
    EXPECT_EQ(mgr.register_client(b), 0);
    // A second registration is refused and appends nothing: the client saves once.
    EXPECT_EQ(mgr.register_client(a), SettingMgrInterface::ERR_CLIENT_ALREADY_REGISTERED);
    EXPECT_EQ(mgr.get_client_pos(b), 1);
    ScratchFolder folder;
    ASSERT_EQ(mgr.save_settings(folder.file("s.txt")), 0);
    EXPECT_EQ(log, std::vector<std::string>({"save a", "save b"}));
    EXPECT_EQ(mgr.unregister_client(a), 0);
    EXPECT_EQ(mgr.get_client_pos(b), 0);
    EXPECT_EQ(mgr.unregister_client(a), SettingMgrInterface::ERR_CLIENT_NOT_REGISTERED);
    EXPECT_EQ(mgr.get_client_pos(a), -1);
    EXPECT_EQ(mgr.unregister_all_clients(), 0);
    EXPECT_EQ(mgr.unregister_client(b), SettingMgrInterface::ERR_CLIENT_NOT_REGISTERED);
}

TEST(SettingMgrInterface, SavingWithoutClientsWritesTheEmptyRootAndLoadsBack)
{
    ScratchFolder folder;
    const std::string path = folder.file("settings.txt");
    SettingMgrInterface mgr;
    ASSERT_EQ(mgr.save_settings(path), 0);
    EXPECT_EQ(ScratchFolder::read(path), "Default =\n{\n}");
    EXPECT_EQ(ScratchFolder::read(path).size(), 13U);
    EXPECT_EQ(folder.count_entries(), 1); // no temporary file left behind

    std::vector<std::string> log;
    RecordingClient a("a", log);
    ASSERT_EQ(mgr.register_client(a), 0);
    EXPECT_EQ(mgr.load_settings(path), 0);
    EXPECT_EQ(log, std::vector<std::string>({"load a Default 0"}));
}

TEST(SettingMgrInterface, ClientsRunInOrderAndNeverAfterAnError)
{
    ScratchFolder folder;
    const std::string path = folder.file("s.txt");
    ScratchFolder::write(path, "old");
    std::vector<std::string> log;
    RecordingClient a("a", log);
    RecordingClient b("b", log, -7);
    RecordingClient c("c", log);
    SettingMgrInterface mgr;
    for (auto* client : {&a, &b, &c}) {
        ASSERT_EQ(mgr.register_client(*client), 0);
    }
    EXPECT_EQ(mgr.save_settings(path), -7);
    EXPECT_EQ(ScratchFolder::read(path), "old");

    ScratchFolder::write(path, "Default = { a = 1 b = 2 c = 3 }");
    EXPECT_EQ(mgr.load_settings(path), -7);
    EXPECT_EQ(log, std::vector<std::string>(
                       {"save a", "save b", "load a Default 3", "load b Default 3"}));
    EXPECT_EQ(a.loaded, "1");
    EXPECT_EQ(c.loaded, "");
}

TEST(SettingMgrInterface, AnonymousKeyInTheTreeGivesTheWriteCodeAndKeepsTheFile)
{
    struct Anonymous : basic::SettingClientInterface
    {
        int save_settings(ConfKeyMulti& root) override
        {
            root.push_back(basic::ConfKeyData());
            return 0;
        }
        int load_settings(const ConfKeyMulti&) override { return 0; }
    } client;
    ScratchFolder folder;
    const std::string path = folder.file("s.txt");
    ScratchFolder::write(path, "old");
    SettingMgrInterface mgr;
    ASSERT_EQ(mgr.register_client(client), 0);
    EXPECT_EQ(mgr.save_settings(path), SettingMgrInterface::ERR_WRITE_THREW);
    EXPECT_EQ(ScratchFolder::read(path), "old");
}

// The format has no escape: a name or text holding a zero byte, a line feed or a double quote
// would not read back, and could cost the keys of every client at the next load.
TEST(SettingMgrInterface, TextsTheFormatCannotHoldAreRefusedAndTheFileIsKept)
{
    using basic::ConfKeyContentMulti;
    using basic::ConfKeyContentString;
    using basic::ConfKeyData;
    struct Client : basic::SettingClientInterface
    {
        std::function<void(ConfKeyMulti&)> add;
        int save_settings(ConfKeyMulti& root) override
        {
            add(root);
            return 0;
        }
        int load_settings(const ConfKeyMulti&) override { return 0; }
    };
    const auto list_with = [](const std::string& item, int nbr_items) {
        ConfKeyContentMulti list;
        for (int i = 1; i < nbr_items; ++i) {
            list.push_back(ConfKeyContentString("ok"));
        }
        list.push_back(ConfKeyContentString(item));
        return list;
    };
    const std::function<void(ConfKeyMulti&, const std::string&)> places[] = {
        [](ConfKeyMulti& root, const std::string& s) { root.set_key_str("n/k", s); },
        [](ConfKeyMulti& root, const std::string& s) { root.set_key_str("n/" + s, "v"); },
        [](ConfKeyMulti& root, const std::string& s) { root.push_back(ConfKeyMulti(s)); },
        [&](ConfKeyMulti& root, const std::string& s) {
            root.push_back(ConfKeyData("k", list_with(s, 1)));
        },
        [&](ConfKeyMulti& root, const std::string& s) {
            root.push_back(ConfKeyData("k", list_with(s, 8))); // one item per line
        },
    };
    ScratchFolder folder;
    const std::string path = folder.file("s.txt");
    ScratchFolder::write(path, "old");
    Client client;
    SettingMgrInterface mgr;
    ASSERT_EQ(mgr.register_client(client), 0);
    for (const std::string& bad :
         {std::string("a\0b", 3), std::string(1, '\0'), std::string("a\nb"), std::string("\n"),
          std::string("a\"b"), std::string("\"")}) {
        for (std::size_t place = 0; place < std::size(places); ++place) {
            client.add = [&](ConfKeyMulti& root) {
                root.set_key_str("other/x", "1");
                places[place](root, bad);
            };
            EXPECT_EQ(mgr.save_settings(path), SettingMgrInterface::ERR_TEXT_NOT_STORABLE)
                << place << " " << bad;
        }
    }
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 1);
}

TEST(SettingMgrInterface, FileErrorsOnSaving)
{
    ScratchFolder folder;
    SettingMgrInterface mgr;
    EXPECT_EQ(mgr.save_settings(folder.file("missing/s.txt")),
              SettingMgrInterface::ERR_FILE_CREATE);
    // A folder in place of the file cannot be opened for writing.
    std::filesystem::create_directory(folder.file("dir"));
    EXPECT_EQ(mgr.save_settings(folder.file("dir")), SettingMgrInterface::ERR_FILE_CREATE);
    EXPECT_EQ(folder.count_entries(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("dir")));

    // A full disk shows only when the 13 bytes are flushed: a write failure, old file kept.
    const std::string path = folder.file("s.txt");
    ScratchFolder::write(path, "old");
    {
        test_support::FileSizeLimit limit(4);
        ASSERT_TRUE(limit.is_active());
        EXPECT_EQ(mgr.save_settings(path), SettingMgrInterface::ERR_FILE_WRITE);
    }
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 2);
}

TEST(SettingMgrInterface, LoadCodesAndWhatTheClientSees)
{
    const struct
    {
        const char* label;
        std::string text; // what the file holds
        int code;
        const char* seen; // what the one client was handed, or "" when it did not run
    } cases[] = {
        {"empty file", "", -1024, ""},
        {"leaf holding a text", "Default = 1", SettingMgrInterface::ERR_ROOT_UNUSABLE, ""},
        {"leaf holding a list", "D = { a }", SettingMgrInterface::ERR_ROOT_UNUSABLE, ""},
        {"no key at the start", "a b c", -1015 - 1024, ""},
        {"name with slash", "De/fault = { a = 1 }", -1015 - 1024, ""},
        {"name with backslash below the root", "D = { a = 1 x\\y = 2 }", 0, "load a D 1"},
        {"truncated file", "Default =\n{\n   a = 1\n", -1020 - 1024, ""},
        {"depth beyond the limit", std::string(300, '{') + std::string(300, '}'), -1020 - 1024, ""},
        {"CR LF line ends", "Default =\r\n{\r\n   a = 1\r\n}", 0, "load a Default 1"},
        {"missing last line feed", "D = { a = \"x\" }", 0, "load a D 1"},
        {"extra tokens after the root", "Default = { a = 1 } b = 2", 0, "load a Default 1"},
    };
    ScratchFolder folder;
    const std::string path = folder.file("s.txt");
    for (const auto& c : cases) {
        ScratchFolder::write(path, c.text);
        std::vector<std::string> log;
        RecordingClient a("a", log);
        SettingMgrInterface mgr;
        ASSERT_EQ(mgr.register_client(a), 0);
        int code = 1;
        EXPECT_NO_THROW(code = mgr.load_settings(path)) << c.label;
        EXPECT_EQ(code, c.code) << c.label;
        EXPECT_EQ(log.empty() ? "" : log.front(), std::string(c.seen)) << c.label;
    }
}

TEST(SettingMgrInterface, FileErrorsOnLoading)
{
    ScratchFolder folder;
    SettingMgrInterface mgr;
    EXPECT_EQ(mgr.load_settings(folder.file("missing.txt")), SettingMgrInterface::ERR_FILE_OPEN);
    std::string text = "stale";
    EXPECT_EQ(mgr.load_file(text, folder.path().string()), SettingMgrInterface::ERR_FILE_READ);
    EXPECT_EQ(text, "");
    EXPECT_EQ(mgr.load_settings(folder.path().string()), SettingMgrInterface::ERR_FILE_READ);
    // Settings texts are a few kilobytes: a file of 1 MiB is read, one byte more is not.
    const std::string root = "D = { a = 1 }";
    for (const std::size_t size : {std::size_t(1) << 20, (std::size_t(1) << 20) + 1}) {
        const std::string path = folder.file("padded.txt");
        ScratchFolder::write(path, root + std::string(size - root.size(), '\n'));
        EXPECT_EQ(mgr.load_settings(path), size == 1 << 20 ? 0 : SettingMgrInterface::ERR_FILE_READ)
            << size;
    }
}

} // namespace
