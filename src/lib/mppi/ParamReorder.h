#pragma once

#include "lib/basic/SettingClientInterface.h"
#include "lib/mppi/Fwd.h"

#include <atomic>
#include <memory>
#include <vector>

namespace basic {
class ConfKeyContentMulti;
} // namespace basic

namespace mppi {

// Maps between the order in which the host sees the parameters (wrap order)
// and the effect's own order (nat order), and keeps that map in the settings
// file under "parameter_reorder_map". The two tables are inverse
// permutations of 0..n-1.
//
// Lifecycle: `init` on the main thread before any other thread maps an index;
// afterwards the tables keep their size and address, and loading settings or
// `reset` writes new entries into them in place, so a host's audio thread may
// map indices at any time.
class ParamReorder : public basic::SettingClientInterface
{
public:
    static constexpr const char _REORDER_KEY_NAME_0[] = "parameter_reorder_map";

    ParamReorder() = default;
    ParamReorder(const ParamReorder&) = delete;
    ParamReorder& operator=(const ParamReorder&) = delete;
    ~ParamReorder() override;

    // Main thread only, before other threads map indices; may allocate.
    // Keeps the effect (which must outlive this object), sizes both tables to
    // its parameter count and sets them to the identity.
    void init(const DspInterface& dsp);

    // Main thread; no lock, no allocation. Both tables to the identity.
    void reset() noexcept;

    // Any thread, also the audio thread; no lock, no allocation. The effect's
    // parameter at host position `w`, and the host position of parameter `p`.
    // An index outside 0..n-1 comes back unchanged.
    [[nodiscard]] int map_wrap_2_nat(int w) const noexcept;
    [[nodiscard]] int map_nat_2_wrap(int p) const noexcept;

    // Main thread only; may allocate. Writes the map as a list of
    // "<parameter>_<name>" items in host order, replacing an older key; 0.
    [[nodiscard]] int save_settings(basic::ConfKeyMulti& root) override;
    // Main thread only; may allocate. Reads the map back and completes it to a
    // permutation; 0. Without a usable key (none, or not a list) the current
    // map stays as it was.
    [[nodiscard]] int load_settings(const basic::ConfKeyMulti& root) override;

    // Main thread only; may allocate. The list of items in host order; 0.
    [[nodiscard]] int encode_map_key_content(basic::ConfKeyContentMulti& content) const;
    // Main thread only; may allocate. Takes the parameter number at the start
    // of each text item of the first n items, keeps the valid ones (a number
    // in 0..n-1 not taken yet), then completes and commits the map; 0.
    [[nodiscard]] int decode_map_key_content(const basic::ConfKeyContentMulti& content);
    // Main thread only; may allocate. Completes two partial tables (-1 for an
    // open entry) to inverse permutations and writes them into the map. The
    // tables are brought to n entries first (new entries open); an entry out
    // of range, or one the other table does not pair back, counts as open.
    void complete_and_commit_new_map(std::vector<int>& wrap_2_nat, std::vector<int>& nat_2_wrap);

private:
    using Table = std::unique_ptr<std::atomic<int>[]>;

    [[nodiscard]] static int map(const Table& table, int nbr, int index) noexcept;

    const DspInterface* _dsp_ptr = nullptr;
    // Set by `init` before other threads map indices; read-only afterwards.
    int _nbr_param = 0;
    // Written by the main thread while a host's audio thread may read.
    // Relaxed order suffices: every entry is an index in 0..n-1 at all times
    // and publishes no other memory; a reader racing with a load may mix old
    // and new entries for that one call, never read out of range.
    Table _nat_2_wrap;
    Table _wrap_2_nat;
};

} // namespace mppi
