// What MIDI costs on its two roads. In: events per second through the VST input device's
// process_midi_event, for plain controllers and for NRPN data entry, both bound to a
// parameter (decoding, the manager's look-up, the parameter change). Out: packets per
// second from the manager's param_to_midi_out into the output queue, handed over once a
// block as the host binding does. Beside each, a naive baseline: splitting the same events
// into status, channel and data bytes, and writing the same packets straight into the queue.

#include "lib/mppi/MidiMgr.h"
#include "support/Vst2MidiRig.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using Rig = test_support::Vst2MidiRigOf<mppi::MidiReceiverInterface>;

constexpr std::uint32_t SEED = 2024;
// Events or parameter sends per timed pass.
constexpr int BLOCK = 256;
constexpr int NRPN_NUMBER = 3;
constexpr int CC_BOUND = 74;
constexpr int NBR_PACKETS_NRPN = 4; // number select and data entry, two bytes each

// A block of controller events with random values on random channels: plain
// controller CC_BOUND, or data entry (controllers 6 and 38 in turn) after an
// NRPN number select on every channel.
std::vector<mppi::Vst2MidiEvent> make_events(bool nrpn_flag)
{
    std::mt19937 rng(SEED);
    std::vector<mppi::Vst2MidiEvent> events(BLOCK);
    for (int i = 0; i < BLOCK; ++i) {
        mppi::Vst2MidiEvent& e = events[size_t(i)];
        const int cc = nrpn_flag ? ((i % 2 == 0) ? 6 : 38) : CC_BOUND;
        e._midi_data = {static_cast<unsigned char>(0xB0 | (rng() % 16)),
                        static_cast<unsigned char>(cc), static_cast<unsigned char>(rng() % 128),
                        0};
    }
    return events;
}

void set_rate(benchmark::State& state, long per_pass)
{
    state.SetItemsProcessed(state.iterations() * per_pass);
}

void bm_process_midi_event(benchmark::State& state)
{
    const bool nrpn_flag = state.range(0) != 0;
    Rig rig;
    if (!rig.started || rig.mgr.associate_param(0, 99, NRPN_NUMBER) != 0 ||
        rig.mgr.associate_param(1, CC_BOUND, 0) != 0) {
        state.SkipWithError("set-up failed");
        return;
    }
    for (int chn = 0; chn < 16; ++chn) {
        rig.feed({0xB0 + chn, 99, 0, 0xB0 + chn, 98, NRPN_NUMBER});
    }
    const std::vector<mppi::Vst2MidiEvent> events = make_events(nrpn_flag);
    for (auto _ : state) {
        for (const mppi::Vst2MidiEvent& e : events) {
            rig.in().process_midi_event(e);
        }
        benchmark::DoNotOptimize(rig.cmd.last_value);
    }
    set_rate(state, BLOCK);
}
BENCHMARK(bm_process_midi_event)->ArgName("nrpn")->Arg(0)->Arg(1);

// Baseline: the bytes split as the device splits them, and summed.
void bm_naive_split(benchmark::State& state)
{
    const std::vector<mppi::Vst2MidiEvent> events = make_events(state.range(0) != 0);
    for (auto _ : state) {
        int sum = 0;
        for (const mppi::Vst2MidiEvent& e : events) {
            const int status = e._midi_data[0];
            sum += (status & 15) + (status >> 4) + (e._midi_data[1] & 127) + (e._midi_data[2] & 127);
        }
        benchmark::DoNotOptimize(sum);
    }
    set_rate(state, BLOCK);
}
BENCHMARK(bm_naive_split)->ArgName("nrpn")->Arg(0)->Arg(1);

void bm_param_to_midi_out(benchmark::State& state)
{
    Rig rig;
    if (!rig.started || rig.mgr.associate_param(0, 99, NRPN_NUMBER) != 0) {
        state.SkipWithError("set-up failed");
        return;
    }
    std::mt19937 rng(SEED);
    std::vector<float> values(BLOCK);
    for (float& v : values) {
        v = float(rng() % 16384) / 16383.0f;
    }
    std::vector<mppi::Vst2MidiEvent> block(mppi::Vst2MidiOut::QUEUE_SIZE);
    for (auto _ : state) {
        for (const float v : values) {
            benchmark::DoNotOptimize(rig.mgr.param_to_midi_out(0, 0, v));
        }
        benchmark::DoNotOptimize(rig.out().hand_over(block.data(), int(block.size())));
    }
    set_rate(state, long(BLOCK) * NBR_PACKETS_NRPN);
}
BENCHMARK(bm_param_to_midi_out);

// Baseline: the same number of packets written into the queue directly.
void bm_naive_enqueue(benchmark::State& state)
{
    mppi::Vst2MidiOut out;
    if (out.connect() != 0) {
        state.SkipWithError("set-up failed");
        return;
    }
    std::vector<mppi::Vst2MidiEvent> block(mppi::Vst2MidiOut::QUEUE_SIZE);
    for (auto _ : state) {
        for (int i = 0; i < BLOCK * NBR_PACKETS_NRPN; ++i) {
            benchmark::DoNotOptimize(out.enqueue_event(0xB0, 6, i & 127, 0));
        }
        benchmark::DoNotOptimize(out.hand_over(block.data(), int(block.size())));
    }
    set_rate(state, long(BLOCK) * NBR_PACKETS_NRPN);
}
BENCHMARK(bm_naive_enqueue);

} // namespace
