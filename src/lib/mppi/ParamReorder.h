#pragma once

#include "lib/basic/SettingClientInterface.h"
#include "lib/mppi/Fwd.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
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
// A new map (a settings load, `reset`) is committed whole: every reading
// operation sees the map of one commit, never a mix of the old and the new
// one, without a lock and without waiting for the committing thread. Two
// separate calls may fall on either side of a commit; a reader that needs
// several entries of one map takes them with `get_wrap_2_nat`.
//
// Lifecycle: `init` on the main thread before any other thread maps an index;
// afterwards the tables keep their size and address. Commits come from one
// thread at a time (the main thread); a host's audio thread may read at any
// time.
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

    // Main thread; no lock, no allocation. Commits the identity.
    void reset() noexcept;

    // Any thread, also the audio thread; no lock, no allocation. The effect's
    // parameter at host position `w`, and the host position of parameter `p`,
    // in one committed map. An index outside 0..n-1 comes back unchanged.
    [[nodiscard]] int map_wrap_2_nat(int w) const noexcept;
    [[nodiscard]] int map_nat_2_wrap(int p) const noexcept;
    // Any thread, also the audio thread; no lock, no allocation. Copies the
    // wrap-to-nat table of one committed map, never a mix of two, into the
    // first entries of `wrap_2_nat` (at most n); answers how many it copied.
    [[nodiscard]] int get_wrap_2_nat(std::span<int> wrap_2_nat) const noexcept;

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
    // open entry) to inverse permutations and commits them as the map. The
    // tables are brought to n entries first (new entries open); an entry out
    // of range, or one the other table does not pair back, counts as open.
    void complete_and_commit_new_map(std::vector<int>& wrap_2_nat, std::vector<int>& nat_2_wrap);

private:
    // The two tables of one copy of the map.
    enum class Dir
    {
        WRAP_2_NAT,
        NAT_2_WRAP
    };

    [[nodiscard]] std::atomic<int>& use_entry(int copy, Dir dir, int index) const noexcept;
    [[nodiscard]] int map(Dir dir, int index) const noexcept;
    // Runs read_copy(copy) on the copy that readers use, again when a commit
    // passed meanwhile; answers its result.
    template <typename F>
    [[nodiscard]] int read(F read_copy) const noexcept;
    // Writes the map entry_of(dir, index) into both copies, one after the
    // other, while readers use the other one.
    template <typename F>
    void commit(F entry_of) noexcept;

    const DspInterface* _dsp_ptr = nullptr;
    // Set by `init` before other threads map indices; read-only afterwards.
    int _nbr_param = 0;
    // Two copies of the map, each n wrap-to-nat entries followed by n
    // nat-to-wrap entries. Written by the committing thread while readers
    // read the other copy.
    std::unique_ptr<std::atomic<int>[]> _copy_arr;
    // Count of commit steps: even at rest, odd while copy 0 is being
    // written. Its lowest bit names the copy that readers use.
    std::atomic<std::uint64_t> _seq{0};
};

} // namespace mppi
