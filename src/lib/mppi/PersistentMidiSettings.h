#pragma once

#include <atomic>
#include <string>

namespace mppi {

// The two MIDI preferences, kept per user in the preference key store:
// "NRPN Compatibility" in the folder base path + "/" + plug-in name, and
// "Autobind Mode" in the folder of the base path alone, which every plug-in
// of that base path shares. Both are stored as the texts "0" and "1".
//
// Lifecycle: constructed with the class-wide default compatibility and
// autobind mode 1; `init` (main thread, at start-up) reads both keys and
// writes back a missing or bad one; `restore` only marks the object as not
// initialised. The getters are read on the audio thread for every controller
// and every RPN / NRPN sent; everything else runs on the main thread only.
class PersistentMidiSettings
{
public:
    // Order of the number-select controllers: standard (99/98 select the NRPN
    // number MSB/LSB, 101/100 the RPN number), or the old order with each
    // pair swapped.
    enum NrpnCompatibility : int
    {
        NRPN_COMPAT_OLD = 0,
        NRPN_COMPAT_STANDARD = 1
    };
    // MIDI learn disarms after one binding, or stays armed.
    enum AutobindMode : int
    {
        AUTOBIND_ONCE = 0,
        AUTOBIND_STAY_ARMED = 1
    };

    // Room of the base path, terminator not counted.
    static constexpr int BASE_PATH_LEN = 272;
    // A preference value other than 0 and 1 given to a setter.
    static constexpr int ERR_INVALID_VALUE = -1;

    PersistentMidiSettings() noexcept;
    PersistentMidiSettings(const PersistentMidiSettings&) = delete;
    PersistentMidiSettings& operator=(const PersistentMidiSettings&) = delete;
    ~PersistentMidiSettings() = default;

    // Main thread only; may allocate. Reads both preferences. A missing or
    // bad value is written back as the current one; when the store cannot be
    // written, the current value is kept and start-up goes on.
    void init(const char* plugin_name);
    void restore() noexcept { _init_flag = false; }
    [[nodiscard]] bool init_check() const noexcept { return _init_flag; }

    // Any thread; no lock, no allocation.
    [[nodiscard]] int get_nrpn_compatibility() const noexcept
    {
        return _nrpn_compatibility.load(std::memory_order_relaxed);
    }
    [[nodiscard]] int get_autobind_mode() const noexcept
    {
        return _autobind_mode.load(std::memory_order_relaxed);
    }

    // Main thread only; may allocate. Writes the value to the store and takes
    // it when the store reports success; otherwise returns the store's code
    // and keeps the old value (ERR_INVALID_VALUE for a value other than 0 and
    // 1). A store that cannot be written throws std::runtime_error, and the
    // value is then not taken either.
    [[nodiscard]] int set_nrpn_compatibility(NrpnCompatibility v);
    [[nodiscard]] int set_autobind_mode(AutobindMode v);

    // Main thread only. The compatibility of objects constructed later; a
    // value other than 0 and 1 is ignored.
    static void set_default_compatibility(NrpnCompatibility v) noexcept;
    // Main thread only. Replaces the base path; a longer text is cut to
    // BASE_PATH_LEN characters. A null path counts as empty.
    static void set_base_path(const char* path) noexcept;
    [[nodiscard]] static std::string get_base_path();

private:
    void init_nrpn_compatibility(const char* plugin_name);
    void init_autobind_mode();
    // Stores a value of 0 or 1 under the key at the path; the store's code.
    [[nodiscard]] static int write_value(const std::string& path, const char* key, int v);

    // Read on the audio thread, written on the main thread. Relaxed order
    // suffices: each is a self-contained flag that publishes no other memory.
    std::atomic<int> _nrpn_compatibility;
    std::atomic<int> _autobind_mode{AUTOBIND_STAY_ARMED};
    bool _init_flag = false;
    std::string _key_path;
};

} // namespace mppi
