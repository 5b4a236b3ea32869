#pragma once

#include <string>

namespace sys {

// Any thread but the audio thread; may allocate and waits on file I/O (and, in `set_key`,
// on other writers of the same folder).
// A handle on one list of string keys and values in the preference key store: a folder at
// a relative '/'-separated path under the user's Preferences folder, holding one key file.
// Key names are compared and stored in ASCII lower case, whatever the process locale.
// Callers open one handle per access and drop it at the end of the call; the Preferences
// folder is looked up at each access. Nothing is read or created on disk by the handle
// itself. Empty path components (a leading, doubled or trailing '/') are skipped; a path
// with a "." or ".." component, or a NUL character, names no list.
class PersistentKeyList
{
public:
    // Name of the key file in every folder of the store.
    static constexpr const char* KEY_FILE_NAME_0 = "#keys_intel_64";
    // Writers of one folder hold an advisory lock on this file around the rewrite.
    static constexpr const char* LOCK_FILE_NAME_0 = "#keys_intel_64.lock";

    // The flag has no effect.
    PersistentKeyList(const std::string& path, bool create_flag);
    PersistentKeyList(const PersistentKeyList&) = delete;
    PersistentKeyList& operator=(const PersistentKeyList&) = delete;
    ~PersistentKeyList();

    // 0 and the stored value when the key exists, -1 (value untouched) when it does not,
    // and also when the list cannot be found or its file is damaged or unreadable. Never
    // throws for anything found on disk.
    [[nodiscard]] int get_key(const std::string& key, std::string& value) const;

    // Stores the value under the key: creates the missing folders and replaces the key file
    // as a whole, so a crash or a full disk never leaves it half-written. A damaged key file
    // is replaced by one holding the new key only. Returns 0; throws std::runtime_error
    // ("sys::PersistentKeyList::set_key() : ...") when the store cannot be written, leaving
    // the old file as it was.
    [[nodiscard]] int set_key(const std::string& key, const std::string& value);

private:
    // The list's folder, or an empty text when there is none (no Preferences folder, an
    // invalid path).
    [[nodiscard]] std::string find_folder() const;

    std::string _path;
};

} // namespace sys
