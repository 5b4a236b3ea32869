#include "lib/mppi/MidiInChn.h"

#include <cmath>
#include <cstring>

namespace mppi {
namespace {

constexpr float RANGE_LIMIT = 128.0f; // the range code keeps 7 bits of semitones
constexpr int LOW7 = 0x7F;

} // namespace

MidiInChn::~MidiInChn() = default;

int MidiInChn::init()
{
    int rc = MidiInInterface::init();
    MidiReceiverInterface* client = use_midi_client();
    if (rc == 0 && client == nullptr) {
        rc = ERR_NO_CLIENT;
    }
    for (int chn = 0; chn < NBR_CHN && rc == 0; ++chn) {
        rc = use_channel(chn).init(*client, chn);
    }
    return rc;
}

void MidiInChn::restore()
{
    for (MidiChannelState& state : _chn_arr) {
        state.restore();
    }
    MidiInInterface::restore();
}

void MidiInChn::do_set_pitch_bend_range(float semitones)
{
    if (!std::isfinite(semitones) || semitones < 0.0f || semitones >= RANGE_LIMIT) {
        return;
    }
    const float whole = std::floor(semitones);
    const int hundredths = int(std::floor((semitones - whole) * 100.0f)) & LOW7;
    for (MidiChannelState& state : _chn_arr) {
        state.set_pitch_bend_range(hundredths, int(whole) & LOW7);
    }
}

float MidiInChn::do_get_pitch_bend_range(int chn) const
{
    return is_channel(chn) ? float(use_channel(chn).get_pitch_bend_range()) : 0.0f;
}

int MidiInChn::write_to_memory(unsigned char* data) const
{
    std::memset(data, 0, HEADER_SIZE);
    long pos = HEADER_SIZE;
    for (const MidiChannelState& state : _chn_arr) {
        const int rc = state.write_to_memory(data + pos);
        if (rc != 0) {
            return rc;
        }
        pos += state.get_object_size();
    }
    return 0;
}

int MidiInChn::read_from_memory(const unsigned char* data)
{
    long pos = HEADER_SIZE;
    for (MidiChannelState& state : _chn_arr) {
        const int rc = state.read_from_memory(data + pos);
        if (rc != 0) {
            return rc;
        }
        pos += state.get_object_size();
    }
    return 0;
}

long MidiInChn::get_object_size() const
{
    long size = HEADER_SIZE;
    for (const MidiChannelState& state : _chn_arr) {
        size += state.get_object_size();
    }
    return size;
}

} // namespace mppi
