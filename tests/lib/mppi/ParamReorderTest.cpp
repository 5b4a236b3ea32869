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

std::vector<int> wrap_2_nat_of(const ParamReorder& reorder, int nbr)
{
    std::vector<int> map;
    for (int w = 0; w < nbr; ++w) {
        map.push_back(reorder.map_wrap_2_nat(w));
    }
    return map;
}

// A settings root holding the map key with these items; nullopt stands for
// an item that is itself a list.
basic::ConfKeyMulti root_with_items(const std::vector<std::optional<std::string>>& items)
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

void load_items(ParamReorder& reorder, const std::vector<std::optional<std::string>>& items)
{
    ASSERT_EQ(reorder.load_settings(root_with_items(items)), 0);
}

void expect_inverse(const ParamReorder& reorder, int nbr)
{
    for (int i = 0; i < nbr; ++i) {
        EXPECT_EQ(reorder.map_nat_2_wrap(reorder.map_wrap_2_nat(i)), i);
    }
}

TEST(ParamReorder, IdentityAfterInitAndIndicesOutsideMapToThemselves)
{
    NamedParamDsp dsp{"A", "B", "C"};
    ParamReorder reorder;
    for (const int i : {-1, 0, 3}) {
        EXPECT_EQ(reorder.map_wrap_2_nat(i), i) << "before init";
    }
    reorder.init(dsp);
    load_items(reorder, {"2", "0", "1"});
    for (const int i : {INT_MIN, -1, 3, INT_MAX}) {
        EXPECT_EQ(reorder.map_wrap_2_nat(i), i);
        EXPECT_EQ(reorder.map_nat_2_wrap(i), i);
    }
    reorder.reset();
    EXPECT_EQ(wrap_2_nat_of(reorder, 3), (std::vector<int>{0, 1, 2}));
    expect_inverse(reorder, 3);
}

TEST(ParamReorder, SavedItemsNameEachParameterInHostOrder)
{
    NamedParamDsp dsp{"Cutoff Freq", "Resonance", "Nbr Bands"};
    ParamReorder reorder;
    reorder.init(dsp);
    const auto items_of_saved = [&reorder] {
        basic::ConfKeyMulti root("root");
        root.push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, "old"));
        EXPECT_EQ(reorder.save_settings(root), 0);
        EXPECT_EQ(root.get_nbr_keys(), 1) << "the old key is replaced";
        const auto& key = dynamic_cast<const basic::ConfKeyData&>(root[0]);
        const auto& list = dynamic_cast<const basic::ConfKeyContentMulti&>(*key.use_content());
        std::vector<std::string> items;
        for (long i = 0; i < list.get_nbr_contents(); ++i) {
            items.push_back(dynamic_cast<const basic::ConfKeyContentString&>(list[i]).get_text());
        }
        return items;
    };
    EXPECT_EQ(items_of_saved(),
              (std::vector<std::string>{"0_Cutoff_Freq", "1_Resonance", "2_Nbr_Bands"}));
    load_items(reorder, {"2", "0"});
    EXPECT_EQ(items_of_saved(),
              (std::vector<std::string>{"2_Nbr_Bands", "0_Cutoff_Freq", "1_Resonance"}));
}

TEST(ParamReorder, ReorderedMapSurvivesSaveAndLoadThroughText)
{
    NamedParamDsp dsp{"Cutoff Freq", "Resonance", "Nbr Bands", "Dist Gain", "Tone"};
    ParamReorder saved;
    saved.init(dsp);
    load_items(saved, {"3", "0", "4", "1", "2"});

    basic::ConfKeyMulti root("Morvanel_config_section");
    ASSERT_EQ(saved.save_settings(root), 0);
    std::string text;
    ASSERT_EQ(root.write_to_string(text), 0);
    basic::ConfKeyFactory factory;
    const auto key = factory.create_key(text);
    ASSERT_EQ(factory.get_last_error(), 0) << text;
    const auto* read_root = dynamic_cast<const basic::ConfKeyMulti*>(key.get());
    ASSERT_NE(read_root, nullptr) << text;

    ParamReorder loaded;
    loaded.init(dsp);
    ASSERT_EQ(loaded.load_settings(*read_root), 0);
    EXPECT_EQ(wrap_2_nat_of(loaded, 5), (std::vector<int>{3, 0, 4, 1, 2}));
    expect_inverse(loaded, 5);
}

TEST(ParamReorder, InvalidItemsAreCompletedLowestFirst)
{
    struct Case
    {
        const char* what;
        std::vector<std::optional<std::string>> items;
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
    NamedParamDsp dsp{"A", "B", "C"};
    for (const Case& c : cases) {
        ParamReorder reorder;
        reorder.init(dsp);
        load_items(reorder, {"1", "2", "0"});
        load_items(reorder, c.items);
        EXPECT_EQ(wrap_2_nat_of(reorder, 3), c.wrap_2_nat) << c.what;
        expect_inverse(reorder, 3);
    }
}

TEST(ParamReorder, UnusableKeyKeepsTheCurrentMap)
{
    basic::ConfKeyMulti missing("root");
    missing.push_back(basic::ConfKeyData("other_key", "2"));
    basic::ConfKeyMulti empty_text("root");
    empty_text.push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, ""));
    basic::ConfKeyMulti text("root");
    text.push_back(basic::ConfKeyData(ParamReorder::_REORDER_KEY_NAME_0, "0_A"));
    basic::ConfKeyMulti node("root");
    node.push_back(basic::ConfKeyMulti(ParamReorder::_REORDER_KEY_NAME_0));

    NamedParamDsp dsp{"A", "B", "C"};
    for (const basic::ConfKeyMulti* root : {&missing, &empty_text, &text, &node}) {
        ParamReorder reorder;
        reorder.init(dsp);
        load_items(reorder, {"1", "2", "0"});
        EXPECT_EQ(reorder.load_settings(*root), 0);
        EXPECT_EQ(wrap_2_nat_of(reorder, 3), (std::vector<int>{1, 2, 0}));
    }
}

TEST(ParamReorder, CompletionOfAnyPartialTablesGivesInversePermutations)
{
    constexpr int NBR = 6;
    NamedParamDsp dsp{"A", "B", "C", "D", "E", "F"};
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
        expect_inverse(reorder, NBR);
        std::sort(map.begin(), map.end());
        ASSERT_EQ(map, (std::vector<int>{0, 1, 2, 3, 4, 5})) << "round " << round;
    }
}

TEST(ParamReorder, AudioThreadMapsWhileTheMainThreadLoads)
{
    constexpr int NBR = 8;
    NamedParamDsp dsp{"A", "B", "C", "D", "E", "F", "G", "H"};
    ParamReorder reorder;
    reorder.init(dsp);
    const basic::ConfKeyMulti reversed = root_with_items({"7", "6", "5", "4", "3", "2", "1", "0"});
    const basic::ConfKeyMulti rotated = root_with_items({"1", "2", "3", "4", "5", "6", "7", "0"});

    std::atomic<bool> done{false};
    std::atomic<int> out_of_range{0};
    std::thread audio([&] {
        while (!done.load(std::memory_order_relaxed)) {
            for (int w = 0; w < NBR; ++w) {
                const int p = reorder.map_wrap_2_nat(w);
                if (p < 0 || p >= NBR) {
                    out_of_range.fetch_add(1, std::memory_order_relaxed);
                }
            }
        }
    });
    for (int round = 0; round < 2000; ++round) {
        EXPECT_EQ(reorder.load_settings((round & 1) != 0 ? reversed : rotated), 0);
    }
    done.store(true, std::memory_order_relaxed);
    audio.join();
    EXPECT_EQ(out_of_range.load(), 0);
    EXPECT_EQ(wrap_2_nat_of(reorder, NBR), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
}

} // namespace
