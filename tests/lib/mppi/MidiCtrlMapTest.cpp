#include "lib/mppi/MidiCtrlMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <thread>

namespace {

using mppi::MidiCtrlMap;

// The map as a naive model gives it: binding erases the parameter's entries,
// then sets the id.
void model_bind(std::map<long, int>& model, int param, long ctrl_id)
{
    std::erase_if(model, [param](const auto& entry) { return entry.second == param; });
    model[ctrl_id] = param;
}

std::map<long, int> contents(const MidiCtrlMap::Table& table)
{
    std::map<long, int> result;
    for (int i = 0; i < table.size(); ++i) {
        EXPECT_TRUE(i == 0 || table[i - 1]._ctrl_id < table[i]._ctrl_id) << "not sorted at " << i;
        result[table[i]._ctrl_id] = table[i]._param;
    }
    return result;
}

TEST(MidiCtrlMap, RandomEditsMatchANaiveModel)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> op_dist(0, 9);
    std::uniform_int_distribution<int> param_dist(0, 40);
    std::uniform_int_distribution<long> id_dist(0, 60);
    MidiCtrlMap map;
    std::map<long, int> model;
    for (int step = 0; step < 3000; ++step) {
        const int op = op_dist(rng);
        const int param = param_dist(rng);
        const long id = id_dist(rng) * 65536;
        ASSERT_TRUE(map.edit(
            [&](MidiCtrlMap::Table& table) {
                if (op == 0) {
                    table.unbind(param);
                } else if (op == 1 && step % 50 == 0) {
                    table.clear();
                } else {
                    EXPECT_TRUE(table.bind(param, id));
                }
                return MidiCtrlMap::Edit::PUBLISH;
            },
            MidiCtrlMap::Contention::GIVE_UP));
        if (op == 0) {
            std::erase_if(model, [param](const auto& entry) { return entry.second == param; });
        } else if (op == 1 && step % 50 == 0) {
            model.clear();
        } else {
            model_bind(model, param, id);
        }
        const MidiCtrlMap::Reader reader(map);
        ASSERT_EQ(contents(reader.use()), model) << "step " << step;
        const MidiCtrlMap::Entry* first = reader.use().find_param(param);
        const auto in_model = std::find_if(model.begin(), model.end(),
                                           [param](const auto& e) { return e.second == param; });
        EXPECT_EQ(first == nullptr, in_model == model.end());
    }
}

TEST(MidiCtrlMap, AFullTableTakesNoNewIdButMovesAndRebindsStill)
{
    MidiCtrlMap map;
    const auto bind = [&map](int param, long id) {
        return map.edit(
            [=](MidiCtrlMap::Table& table) {
                return table.bind(param, id) ? MidiCtrlMap::Edit::PUBLISH
                                             : MidiCtrlMap::Edit::REFUSE;
            },
            MidiCtrlMap::Contention::GIVE_UP);
    };
    for (int i = 0; i < MidiCtrlMap::CAPACITY; ++i) {
        ASSERT_TRUE(bind(i, 2L * i));
    }
    EXPECT_FALSE(bind(5000, 1)); // new id, new parameter: no room
    EXPECT_TRUE(bind(5000, 6));  // an id moves to another parameter
    EXPECT_TRUE(bind(7, 1));     // a bound parameter frees its own entry
    const MidiCtrlMap::Reader reader(map);
    EXPECT_EQ(reader.use().size(), MidiCtrlMap::CAPACITY);
    EXPECT_EQ(reader.use().find(6)->_param, 5000);
    EXPECT_EQ(reader.use().find(1)->_param, 7);
    EXPECT_EQ(reader.use().find(14), nullptr);
    EXPECT_EQ(reader.use().find_param(3), nullptr); // lost id 6 to 5000
}

// Learn on the audio thread can publish a new version on every call; the
// main thread's edits, even long ones such as a loaded map, must still land
// rather than fail after a few lost races.
TEST(MidiCtrlMap, MainThreadEditsLandWhileAnotherThreadPublishesWithoutPause)
{
    constexpr int nbr_loaded = 64;
    constexpr int nbr_loads = 200;
    MidiCtrlMap map;
    std::atomic<bool> stop{false};
    std::atomic<long> nbr_published{0};
    std::thread audio([&] {
        for (long i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            nbr_published += map.edit(
                                 [i](MidiCtrlMap::Table& table) {
                                     return table.bind(0, 1 + i % 2) ? MidiCtrlMap::Edit::PUBLISH
                                                                     : MidiCtrlMap::Edit::REFUSE;
                                 },
                                 MidiCtrlMap::Contention::GIVE_UP)
                                 ? 1
                                 : 0;
        }
    });
    while (nbr_published.load() == 0) {
        std::this_thread::yield();
    }
    int landed = 0;
    for (int load = 1; load <= nbr_loads; ++load) {
        const bool ok = map.edit(
            [load](MidiCtrlMap::Table& table) {
                for (int k = 1; k <= nbr_loaded; ++k) {
                    if (!table.bind(k, 65536L * k + load)) {
                        return MidiCtrlMap::Edit::REFUSE;
                    }
                }
                return MidiCtrlMap::Edit::PUBLISH;
            },
            MidiCtrlMap::Contention::WAIT);
        landed += ok ? 1 : 0;
    }
    stop = true;
    audio.join();
    EXPECT_EQ(landed, nbr_loads);
    const MidiCtrlMap::Reader reader(map);
    ASSERT_NE(reader.use().find(65536L * nbr_loaded + nbr_loads), nullptr);
    EXPECT_EQ(reader.use().find(65536L * nbr_loaded + nbr_loads)->_param, nbr_loaded);
}

} // namespace
