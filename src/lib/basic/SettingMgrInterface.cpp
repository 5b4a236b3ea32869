#include "lib/basic/SettingMgrInterface.h"

#include "lib/basic/AtomicFileWriter.h"
#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyFactory.h"
#include "lib/tnw/sys/posix/RegularFile.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

namespace basic {

namespace {

// Name of the root node of a saved settings tree.
constexpr const char* ROOT_NAME = "Default";

} // namespace

int SettingMgrInterface::register_client(SettingClientInterface& client)
{
    // Appended once only: a client in the list twice would save and load twice.
    if (get_client_pos(client) >= 0) {
        return ERR_CLIENT_ALREADY_REGISTERED;
    }
    _clients.push_back(&client);
    return 0;
}

int SettingMgrInterface::unregister_client(SettingClientInterface& client)
{
    const auto it = std::find(_clients.begin(), _clients.end(), &client);
    if (it == _clients.end()) {
        return ERR_CLIENT_NOT_REGISTERED;
    }
    _clients.erase(it);
    return get_client_pos(client) >= 0 ? ERR_CLIENT_STILL_REGISTERED : 0;
}

int SettingMgrInterface::unregister_all_clients()
{
    _clients.clear();
    return 0;
}

long SettingMgrInterface::get_client_pos(SettingClientInterface& client) const
{
    const auto it = std::find(_clients.begin(), _clients.end(), &client);
    return it == _clients.end() ? -1 : long(it - _clients.begin());
}

int SettingMgrInterface::save_settings(const std::string& path)
{
    ConfKeyMulti root(ROOT_NAME);
    int code = 0;
    do_save_settings_pre(root, path, code);
    for (size_t i = 0; code == 0 && i < _clients.size(); ++i) {
        code = _clients[i]->save_settings(root);
    }
    do_save_settings_post(root, path, code);
    if (code != 0) {
        return code;
    }
    std::string text;
    try {
        code = root.write_to_string(text);
    } catch (const std::exception&) {
        // The writer throws for a key without a name.
        return ERR_WRITE_THREW;
    }
    return code == 0 ? save_file(text, path) : code;
}

std::unique_ptr<ConfKeyMulti> SettingMgrInterface::take_root(std::unique_ptr<ConfKeyInterface> key)
{
    if (auto* node = dynamic_cast<ConfKeyMulti*>(key.get())) {
        static_cast<void>(key.release());
        return std::unique_ptr<ConfKeyMulti>(node);
    }
    // An empty node is written as its name, "{" and "}", which reads back as a leaf holding an
    // empty list.
    const auto* leaf = dynamic_cast<const ConfKeyData*>(key.get());
    const auto* list =
        leaf == nullptr ? nullptr : dynamic_cast<const ConfKeyContentMulti*>(leaf->use_content());
    if (list != nullptr && list->get_nbr_contents() == 0) {
        return std::make_unique<ConfKeyMulti>(leaf->get_name());
    }
    return nullptr;
}

int SettingMgrInterface::load_settings(const std::string& path)
{
    std::string text;
    if (const int code = load_file(text, path); code != 0) {
        return code;
    }
    ConfKeyFactory& factory = ConfKeyFactory::get_instance();
    auto key = factory.create_key(text);
    text = std::string();
    if (!key) {
        return factory.get_last_error() + READER_ERROR_OFFSET;
    }
    // A key read with a fault after it is used all the same: it holds what was read whole.
    const auto root = take_root(std::move(key));
    if (!root) {
        return ERR_ROOT_UNUSABLE;
    }
    int code = 0;
    do_load_settings_pre(*root, path, code);
    for (size_t i = 0; code == 0 && i < _clients.size(); ++i) {
        code = _clients[i]->load_settings(*root);
    }
    do_load_settings_post(*root, path, code);
    return code;
}

int SettingMgrInterface::save_file(const std::string& text, const std::string& path)
{
    switch (AtomicFileWriter::write_file(path, text)) {
    case AtomicFileWriter::Result::OK:
        return 0;
    case AtomicFileWriter::Result::OPEN_FAILED:
        return ERR_FILE_CREATE;
    case AtomicFileWriter::Result::WRITE_FAILED:
        break;
    }
    return ERR_FILE_WRITE;
}

int SettingMgrInterface::load_file(std::string& text, const std::string& path)
{
    using tnw::sys::posix::ReadFileResult;
    switch (tnw::sys::posix::read_regular_file(path, MAX_FILE_SIZE, text)) {
    case ReadFileResult::OK:
        break;
    case ReadFileResult::MISSING:
    case ReadFileResult::OPEN_FAILED:
        return ERR_FILE_OPEN;
    case ReadFileResult::NOT_REGULAR:
    case ReadFileResult::TOO_LARGE:
    case ReadFileResult::READ_FAILED:
        // A folder, a pipe, a device or a huge file: refused like a device error.
        return ERR_FILE_READ;
    }
    // Every line, the last one too, ends with a line feed.
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return 0;
}

void SettingMgrInterface::do_load_settings_pre(const ConfKeyMulti& /*root*/,
                                               const std::string& /*path*/, int& /*code*/)
{
}

void SettingMgrInterface::do_load_settings_post(const ConfKeyMulti& /*root*/,
                                                const std::string& /*path*/, int& /*code*/)
{
}

void SettingMgrInterface::do_save_settings_pre(ConfKeyMulti& /*root*/, const std::string& /*path*/,
                                               int& /*code*/)
{
}

void SettingMgrInterface::do_save_settings_post(ConfKeyMulti& /*root*/, const std::string& /*path*/,
                                                int& /*code*/)
{
}

} // namespace basic
