#include "lib/mppi/ParamReorder.h"

#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyFactory.h"
#include "lib/basic/ConfKeyMulti.h"
#include "support/NamedParamDsp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using mppi::ParamReorder;
using test_support::NamedParamDsp;
using Items = std::vector<std::optional<std::string>>;

// The wrap-to-nat map, after checking that nat-to-wrap is its inverse and
// that the whole-table copy gives the same entries (and no more).
std::vector<int> wrap_2_nat_of(const ParamReorder& reorder, int nbr)
{
    std::vector<int> map;
    for (int w = 0; w < nbr; ++w) {
        map.push_back(reorder.map_wrap_2_nat(w));
        EXPECT_EQ(reorder.map_nat_2_wrap(map.back()), w);
    }
    std::vector<int> copied(size_t(nbr) + 1, -7);
    EXPECT_EQ(reorder.get_wrap_2_nat(copied), nbr);
    EXPECT_EQ(copied.back(), -7);
    copied.pop_back();
    EXPECT_EQ(copied, map);
    return map;
}

// A settings root holding the map key with these items; nullopt stands for an
// item that is itself a list.
basic::ConfKeyMulti root_with_items(const Items& items)
{
    basic::ConfKeyContentMulti list;
    for (const auto& item : items) {
        if (item) {
            list.push_back(basic::ConfKeyContentString(*item));
        } else {
            list.push_back(basic::ConfKeyContentMulti());
        }
    }
    basic::ConfKeyMulti root("root");
    root.push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, list));
    return root;
}

TEST(ParamReorder, ItemsAreReadAndInvalidOnesCompletedLowestFirst)
{
    struct Case
    {
        const char* what;
        Items items;
        std::vector<int> wrap_2_nat;
    };
    const std::vector<Case> cases = {
        {"duplicate and unparsable", {"2_a", "2_b", "Tone"}, {2, 1, 0}},
        {"negative", {"-1_a", "0", "1"}, {2, 0, 1}},
        {"number of parameters or more", {"3", "7", "0"}, {2, 1, 0}},
        {"beyond the int range, not wrapped to 1", {"0", "4294967297", "1"}, {0, 2, 1}},
        {"beyond every integer type", {"0", "99999999999999999999999", "1"}, {0, 2, 1}},
        {"item that is a list", {std::nullopt, "0", "1"}, {2, 0, 1}},
        {"blanks and a plus sign", {" +2_x", "\t1", "0"}, {2, 1, 0}},
        {"sign or blanks without digits", {"+", " ", "2"}, {0, 1, 2}},
        {"too short", {"1", "0"}, {1, 0, 2}},
        {"too long", {"2", "0", "1", "0", "1"}, {2, 0, 1}},
        {"empty list", {}, {0, 1, 2}},
    };
    const NamedParamDsp dsp{"A", "B", "C"};
    for (const Case& c : cases) {
        ParamReorder reorder;
        reorder.init(dsp);
        ASSERT_EQ(reorder.load_settings(root_with_items({"1", "2", "0"})), 0);
        ASSERT_EQ(reorder.load_settings(root_with_items(c.items)), 0);
        EXPECT_EQ(wrap_2_nat_of(reorder, 3), c.wrap_2_nat) << c.what;
        for (const int i : {INT_MIN, -1, 3, INT_MAX}) {
            EXPECT_EQ(reorder.map_wrap_2_nat(i), i);
            EXPECT_EQ(reorder.map_nat_2_wrap(i), i);
        }
    }
}

TEST(ParamReorder, UnusableKeyKeepsTheCurrentMapAndResetGivesIdentity)
{
    std::vector<basic::ConfKeyMulti> roots(4, basic::ConfKeyMulti("root"));
    roots[0].push_back(basic::ConfKeyData("other_key", "2"));
    roots[1].push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, ""));
    roots[2].push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, "0_A"));
    roots[3].push_back(basic::ConfKeyMulti(ParamReorder::_REORDER_KEY_NAME_0));
    const NamedParamDsp dsp{"A", "B", "C"};
    ParamReorder reorder;
    EXPECT_EQ(reorder.map_wrap_2_nat(0), 0) << "before init";
    reorder.init(dsp);
    ASSERT_EQ(reorder.load_settings(root_with_items({"1", "2", "0"})), 0);
    for (const basic::ConfKeyMulti& root : roots) {
        EXPECT_EQ(reorder.load_settings(root), 0);
        EXPECT_EQ(wrap_2_nat_of(reorder, 3), (std::vector<int>{1, 2, 0}));
    }
    reorder.reset();
    EXPECT_EQ(wrap_2_nat_of(reorder, 3), (std::vector<int>{0, 1, 2}));
}

TEST(ParamReorder, SavedMapNamesParametersAndSurvivesTheTextFormat)
{
    const NamedParamDsp dsp{"Cutoff Freq", "Resonance", "Nbr Bands", "Dist Gain"};
    ParamReorder saved;
    saved.init(dsp);
    basic::ConfKeyMulti root("Morvanel_config_section");
    root.push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, "old"));
    ASSERT_EQ(saved.save_settings(root), 0);
    ASSERT_EQ(root.get_nbr_keys(), 1) << "the old key is replaced";
    const auto& list = dynamic_cast<const basic::ConfKeyContentMulti&>(
        *dynamic_cast<const basic::ConfKeyData&>(root[0]).use_content());
    ASSERT_EQ(list.get_nbr_contents(), 4);
    EXPECT_EQ(dynamic_cast<const basic::ConfKeyContentString&>(list[0]).get_text(),
              "0_Cutoff_Freq");
    EXPECT_EQ(dynamic_cast<const basic::ConfKeyContentString&>(list[3]).get_text(), "3_Dist_Gain");

    ASSERT_EQ(saved.load_settings(root_with_items({"3", "0", "2", "1"})), 0);
    ASSERT_EQ(saved.save_settings(root), 0);
    std::string text;
    ASSERT_EQ(root.write_to_string(text), 0);
    basic::ConfKeyFactory factory;
    const auto key = factory.create_key(text);
    const auto* read_root = dynamic_cast<const basic::ConfKeyMulti*>(key.get());
    ASSERT_NE(read_root, nullptr) << text;
    ParamReorder loaded;
    loaded.init(dsp);
    ASSERT_EQ(loaded.load_settings(*read_root), 0);
    EXPECT_EQ(wrap_2_nat_of(loaded, 4), (std::vector<int>{3, 0, 2, 1})) << text;
}

TEST(ParamReorder, CompletionOfAnyPartialTablesGivesInversePermutations)
{
    constexpr int NBR = 6;
    const NamedParamDsp dsp{"A", "B", "C", "D", "E", "F"};
    ParamReorder reorder;
    reorder.init(dsp);
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> entry(-2, NBR + 1);
    std::uniform_int_distribution<int> size(0, NBR + 2);
    for (int round = 0; round < 500; ++round) {
        std::vector<int> wrap_2_nat(size_t(size(rng)));
        std::vector<int> nat_2_wrap(size_t(size(rng)));
        std::generate(wrap_2_nat.begin(), wrap_2_nat.end(), [&] { return entry(rng); });
        std::generate(nat_2_wrap.begin(), nat_2_wrap.end(), [&] { return entry(rng); });
        reorder.complete_and_commit_new_map(wrap_2_nat, nat_2_wrap);
        std::vector<int> map = wrap_2_nat_of(reorder, NBR);
        std::sort(map.begin(), map.end());
        ASSERT_EQ(map, (std::vector<int>{0, 1, 2, 3, 4, 5})) << "round " << round;
    }
}

// The audio thread takes whole snapshots of the map while the main thread
// loads two orders in turn: each snapshot is one of them, never a mix.
TEST(ParamReorder, AudioThreadMapsWhileTheMainThreadLoads)
{
    constexpr int NBR = 8;
    const NamedParamDsp dsp{"A", "B", "C", "D", "E", "F", "G", "H"};
    ParamReorder reorder;
    reorder.init(dsp);
    const std::vector<int> reversed_map{7, 6, 5, 4, 3, 2, 1, 0};
    const std::vector<int> rotated_map{1, 2, 3, 4, 5, 6, 7, 0};
    const basic::ConfKeyMulti reversed = root_with_items({"7", "6", "5", "4", "3", "2", "1", "0"});
    const basic::ConfKeyMulti rotated = root_with_items({"1", "2", "3", "4", "5", "6", "7", "0"});
    ASSERT_EQ(reorder.load_settings(reversed), 0);
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    int nbr_snapshots = 0;
    int nbr_mixed = 0;
    int out_of_range = 0;
    std::thread audio([&] {
        started.store(true, std::memory_order_relaxed);
        std::vector<int> snapshot(NBR);
        // At least one snapshot, however late this thread runs.
        do {
            ++nbr_snapshots;
            nbr_mixed += reorder.get_wrap_2_nat(snapshot) == NBR &&
                                 (snapshot == reversed_map || snapshot == rotated_map)
                             ? 0
                             : 1;
            const int p = reorder.map_wrap_2_nat(nbr_snapshots % NBR);
            out_of_range += p < 0 || p >= NBR ? 1 : 0;
        } while (!done.load(std::memory_order_relaxed));
    });
    while (!started.load(std::memory_order_relaxed)) {
        std::this_thread::yield();
    }
    for (int round = 0; round < 20000; ++round) {
        EXPECT_EQ(reorder.load_settings((round & 1) != 0 ? reversed : rotated), 0);
    }
    done.store(true, std::memory_order_relaxed);
    audio.join();
    EXPECT_GT(nbr_snapshots, 0);
    EXPECT_EQ(nbr_mixed, 0) << "of " << nbr_snapshots << " snapshots";
    EXPECT_EQ(out_of_range, 0);
    EXPECT_EQ(wrap_2_nat_of(reorder, NBR), reversed_map);
}

} // namespace
