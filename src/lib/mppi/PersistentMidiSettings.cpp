#include "lib/mppi/PersistentMidiSettings.h"

#include "lib/basic/StrBounded.h"
#include "lib/basic/StrCase.h"
#include "lib/sys/PersistentKeyList.h"

#include <array>
#include <exception>

namespace mppi {
namespace {

constexpr const char* KEY_NRPN_COMPATIBILITY = "NRPN Compatibility";
constexpr const char* KEY_AUTOBIND_MODE = "Autobind Mode";
// Stored text of each value, indexed by the value.
constexpr std::array<const char*, 2> VALUE_TEXTS = {"0", "1"};

// Class-wide, main thread only: the default compatibility is atomic only
// because objects may be constructed on any thread; relaxed order suffices
// for a self-contained value.
std::atomic<int> default_compatibility{PersistentMidiSettings::NRPN_COMPAT_STANDARD};
char base_path[PersistentMidiSettings::BASE_PATH_LEN + 1] = "Tarnwick";

[[nodiscard]] bool is_valid_value(int v) noexcept
{
    return v == 0 || v == 1;
}

// The value stored under the key at the path, or -1 when it is missing or
// neither "0" nor "1".
[[nodiscard]] int read_value(const std::string& path, const char* key)
{
    sys::PersistentKeyList list(path, true);
    std::string text;
    if (list.get_key(key, text) != 0) {
        return -1;
    }
    for (int v = 0; v < int(VALUE_TEXTS.size()); ++v) {
        if (basic::strcmp_ci(text.c_str(), VALUE_TEXTS[size_t(v)])) {
            return v;
        }
    }
    return -1;
}

// Runs a setter that repairs a preference at start-up. A store that cannot be
// written must not stop the effect from starting: the value in use is kept.
template <typename F>
void write_back(F&& setter) noexcept
{
    try {
        (void)setter();
    } catch (const std::exception&) {
    }
}

} // namespace

PersistentMidiSettings::PersistentMidiSettings() noexcept
    : _nrpn_compatibility(default_compatibility.load(std::memory_order_relaxed))
{
}

void PersistentMidiSettings::init(const char* plugin_name)
{
    init_nrpn_compatibility(plugin_name);
    init_autobind_mode();
    _init_flag = true;
}

void PersistentMidiSettings::init_nrpn_compatibility(const char* plugin_name)
{
    _key_path = std::string(base_path) + "/" + (plugin_name != nullptr ? plugin_name : "");
    const int v = read_value(_key_path, KEY_NRPN_COMPATIBILITY);
    if (v >= 0) {
        _nrpn_compatibility.store(v, std::memory_order_relaxed);
    } else {
        write_back(
            [this] { return set_nrpn_compatibility(NrpnCompatibility(get_nrpn_compatibility())); });
    }
}

void PersistentMidiSettings::init_autobind_mode()
{
    const int v = read_value(base_path, KEY_AUTOBIND_MODE);
    if (v >= 0) {
        _autobind_mode.store(v, std::memory_order_relaxed);
    } else {
        write_back([this] { return set_autobind_mode(AutobindMode(get_autobind_mode())); });
    }
}

int PersistentMidiSettings::write_value(const std::string& path, const char* key, int v)
{
    if (!is_valid_value(v)) {
        return ERR_INVALID_VALUE;
    }
    sys::PersistentKeyList list(path, true);
    return list.set_key(key, VALUE_TEXTS[size_t(v)]);
}

int PersistentMidiSettings::set_nrpn_compatibility(NrpnCompatibility v)
{
    const int rc = write_value(_key_path, KEY_NRPN_COMPATIBILITY, v);
    if (rc == 0) {
        _nrpn_compatibility.store(v, std::memory_order_relaxed);
    }
    return rc;
}

int PersistentMidiSettings::set_autobind_mode(AutobindMode v)
{
    const int rc = write_value(base_path, KEY_AUTOBIND_MODE, v);
    if (rc == 0) {
        _autobind_mode.store(v, std::memory_order_relaxed);
    }
    return rc;
}

void PersistentMidiSettings::set_default_compatibility(NrpnCompatibility v) noexcept
{
    if (is_valid_value(v)) {
        default_compatibility.store(v, std::memory_order_relaxed);
    }
}

void PersistentMidiSettings::set_base_path(const char* path) noexcept
{
    basic::strncpy_0(base_path, (path != nullptr) ? path : "", long(sizeof base_path));
}

std::string PersistentMidiSettings::get_base_path()
{
    return base_path;
}

} // namespace mppi
