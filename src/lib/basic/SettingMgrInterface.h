#pragma once

#include "lib/basic/ConfKeyMulti.h"
#include "lib/basic/SettingClientInterface.h"

#include <cstddef>
#include <string>
#include <vector>

namespace basic {

// Main thread only (saving and loading use the reader's process-wide instance); no lock, may
// allocate.
// Saves and loads a settings file: one configuration-key tree under a root node, into which
// every registered client saves its keys and from which it loads them, in registration order.
// Clients are not owned: they are registered during initialisation and must outlive the
// manager's use. A derived manager adds its own steps through the four hooks, which may read
// and change the code.
class SettingMgrInterface
{
public:
    static constexpr int ERR_WRITE_THREW = -1015;
    static constexpr int ERR_ROOT_UNUSABLE = -1016;
    static constexpr int ERR_FILE_WRITE = -1017;
    static constexpr int ERR_FILE_CREATE = -1018;
    static constexpr int ERR_FILE_READ = -1019;
    static constexpr int ERR_FILE_OPEN = -1020;
    static constexpr int ERR_CLIENT_STILL_REGISTERED = -1021;
    static constexpr int ERR_CLIENT_NOT_REGISTERED = -1022;
    static constexpr int ERR_CLIENT_ALREADY_REGISTERED = -1023;
    // A load whose text gave no key returns the reader's last error plus this offset.
    static constexpr int READER_ERROR_OFFSET = -1024;
    // The tree holds a name or text that the format cannot store (see the writer).
    static constexpr int ERR_TEXT_NOT_STORABLE = ConfKeyStreamInterface::ERR_TEXT_NOT_STORABLE;
    // The largest settings file read, 1 MiB. Settings texts are a few kilobytes (a full map
    // of 1024 MIDI bindings takes some tens of kilobytes), and the tree read from a text
    // costs some 40 times its size in memory, at every start-up for a file autoloaded.
    static constexpr std::size_t MAX_FILE_SIZE = std::size_t(1) << 20;

    SettingMgrInterface() = default;
    SettingMgrInterface(const SettingMgrInterface&) = delete;
    SettingMgrInterface& operator=(const SettingMgrInterface&) = delete;
    virtual ~SettingMgrInterface() = default;

    // Appends the client; a client already registered stays where it is, once, and the result
    // is -1023.
    [[nodiscard]] int register_client(SettingClientInterface& client);
    // Removes the first occurrence: -1022 when absent, -1021 when still registered after.
    [[nodiscard]] int unregister_client(SettingClientInterface& client);
    [[nodiscard]] int unregister_all_clients();
    // Index of the first occurrence, -1 when absent.
    [[nodiscard]] long get_client_pos(SettingClientInterface& client) const;

    // Builds the tree under a root named "Default" and replaces the file at path with its text
    // through AtomicFileWriter. Any failure before writing (a client's or hook's code, a name
    // or text the format cannot store: -1025) leaves the previous file untouched; so does a
    // failure while writing, unless the file had to be written in place.
    [[nodiscard]] int save_settings(const std::string& path);
    // Reads the file at path and hands its root node to every client. Malformed text gives a
    // code, never an exception.
    [[nodiscard]] int load_settings(const std::string& path);

    // Replaces the file at path with exactly the characters of text: -1018 when the file
    // cannot be opened for writing (a missing folder, a folder in its place, a read-only
    // file), -1017 when writing, flushing, closing or replacing fails.
    [[nodiscard]] int save_file(const std::string& text, const std::string& path);
    // The file's lines, each followed by one line feed: -1020 when the file cannot be opened,
    // -1019 when reading fails (a device error) or the path names no regular file of at most
    // MAX_FILE_SIZE bytes (a folder, a named pipe, a device), which is never read.
    [[nodiscard]] int load_file(std::string& text, const std::string& path);

protected:
    virtual void do_load_settings_pre(const ConfKeyMulti& root, const std::string& path, int& code);
    virtual void do_load_settings_post(const ConfKeyMulti& root, const std::string& path,
                                       int& code);
    virtual void do_save_settings_pre(ConfKeyMulti& root, const std::string& path, int& code);
    virtual void do_save_settings_post(ConfKeyMulti& root, const std::string& path, int& code);

private:
    // The root to hand to the clients, or null when the key is unusable.
    [[nodiscard]] static std::unique_ptr<ConfKeyMulti>
    take_root(std::unique_ptr<ConfKeyInterface> key);

    std::vector<SettingClientInterface*> _clients;
};

} // namespace basic
