// Feeds random MIDI event streams (any status byte, any data byte, any detune) through the VST
// input device and the MIDI manager, with learn armed and disarmed, parameters sent out and
// their packets fed back in, and random bytes given to the channel record reader. Nothing may
// crash; the client only ever sees channels 0..15 and finite values; every parameter change
// is finite and within 0..1; every output packet is a status byte, three 7-bit data bytes
// and a zero fourth byte.
#include "lib/mppi/MidiChannelState.h"
#include "lib/mppi/MidiInChn.h"
#include "lib/mppi/MidiMgr.h"
#include "support/Vst2MidiRig.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok) {
        std::abort();
    }
}

// A MIDI client that checks what the decoder hands it.
class CheckingClient : public mppi::MidiReceiverInterface
{
public:
    int do_send_midi_note_on(int chn, int note, float pitch, float, float velo,
                             bool) noexcept override
    {
        return checked(chn, note, pitch, velo);
    }
    int do_send_midi_note_off(int chn, int note, float velo) noexcept override
    {
        return checked(chn, note, velo, velo);
    }
    int do_send_midi_velo(int chn, int note, float pressure) noexcept override
    {
        return checked(chn, note, pressure, pressure);
    }
    int do_send_midi_pitch_bend(int chn, float semitones) noexcept override
    {
        return checked(chn, 0, semitones, semitones);
    }
    int do_send_midi_program_change(int chn, long) noexcept override
    {
        return checked(chn, 0, 0.0f, 0.0f);
    }
    int do_send_midi_rpn(int chn, int number, long value) noexcept override
    {
        check(value >= 0 && value <= 0x3FFF && number >= 0 && number <= 0x3FFF);
        return checked(chn, 0, 0.0f, 0.0f);
    }
    int do_send_midi_nrpn(int chn, int number, long value) noexcept override
    {
        check(value >= 0 && value <= 0x3FFF && number >= 0 && number < 2048);
        return checked(chn, 0, 0.0f, 0.0f);
    }
    int do_send_midi_cc(int chn, int cc, int value) noexcept override
    {
        check(value >= 0 && value <= 127);
        return checked(chn, cc, 0.0f, 0.0f);
    }
    int do_send_midi_chn_cmd(int chn, int cmd, int d1, int d2) noexcept override
    {
        check(cmd >= 8 && cmd <= 14 && d2 >= 0 && d2 <= 127);
        return checked(chn, d1, 0.0f, 0.0f);
    }

private:
    static int checked(int chn, int note, float a, float b) noexcept
    {
        check(chn >= 0 && chn <= 15 && note >= 0 && note <= 127);
        check(std::isfinite(a) && std::isfinite(b));
        return 1;
    }
};

using Rig = test_support::Vst2MidiRigOf<CheckingClient>;

float read_float(const std::uint8_t* p)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, p, sizeof bits);
    return std::bit_cast<float>(bits);
}

// Hands the output queue over, checks every packet and feeds it back in.
void loop_back(Rig& rig)
{
    for (const Rig::Packet& p : rig.take_packets()) {
        check(p[0] >= 0x80 && p[1] < 0x80 && p[2] < 0x80 && p[3] == 0);
        rig.feed({p[0], p[1], p[2]});
    }
}

// Random bytes read as one channel record and as the whole device image.
void read_records(Rig& rig, const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> image(std::size_t(mppi::MidiInChn::get_max_size()), 0);
    std::memcpy(image.data(), data, std::min(size, image.size()));
    (void)rig.in().read_from_memory(image.data());
    (void)rig.in().use_channel(data[0] & 15).read_from_memory(image.data());
    for (int chn = 0; chn < mppi::MidiInChn::NBR_CHN; ++chn) {
        check(std::isfinite(rig.in().get_pitch_bend_range(chn)));
    }
    std::vector<unsigned char> out(image.size());
    check(rig.in().write_to_memory(out.data()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t STEP = 5;
    if (size < 1) {
        return 0;
    }
    Rig rig(data[0] & 1);
    check(rig.started && rig.mgr.set_default_nrpn_mapping() == 0);
    for (std::size_t pos = 1; pos + STEP <= size; pos += STEP) {
        const std::uint8_t op = data[pos];
        const std::uint8_t* b = data + pos + 1;
        switch (op & 15) {
        case 0: // learn armed for -1 (off), a parameter, or an index beyond them
            rig.mgr.set_autobind_param(int(b[0] % 4) - 1);
            break;
        case 1:
            (void)rig.mgr.param_to_midi_out(op >> 4, b[0] % 3, read_float(b));
            loop_back(rig);
            break;
        case 2:
            read_records(rig, data + pos, size - pos);
            break;
        case 3:
            rig.in().set_pitch_bend_range(read_float(b));
            break;
        default: {
            mppi::Vst2MidiEvent event;
            event._delta_frames = op;
            event._midi_data = {b[0], b[1], b[2], 0};
            event._detune = static_cast<std::int8_t>(b[3]);
            rig.in().process_midi_event(event);
            break;
        }
        }
        const float v = rig.cmd.last_value;
        check(std::isfinite(v) && v >= 0.0f && v <= 1.0f);
    }
    loop_back(rig);
    return 0;
}
