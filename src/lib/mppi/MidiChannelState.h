#pragma once

#include "lib/basic/SerializableInterface.h"

#include <bitset>
#include <cstdint>
#include <vector>

namespace mppi {

class MidiReceiverInterface;

// The state of one MIDI channel of an input device: held notes, the sustain
// and sostenuto pedals with the note-offs they hold back, bank and program,
// the RPN and NRPN numbers with their data entry, the pitch-bend range and
// the tuning, and the current pitch bend. Decoded events go to the MIDI
// client: velocities and pressures divided by 64, pitches and pitch bends in
// semitones.
//
// Lifecycle: constructed inert (channel -1, no client); `init` (main thread,
// before block processing; sizes the NRPN table) makes it live; `restore`
// makes it inert again. An inert channel ignores every event. The event
// operations run on the audio thread: no lock, no allocation; `init`,
// `restore` and the stored form run on the main thread only, outside block
// processing.
//
// Stored form (28 bytes, big-endian): marker (1 when stored, 0 for nothing),
// channel, program (low 32 bits), bank (16), sustain (8), sostenuto (8), RPN
// number (16), NRPN number (16), tuning code (16), pitch-bend range code (16),
// pitch bend in semitones (IEEE 754 single). The data-entry type, the NRPN
// values and the note sets are not stored.
class MidiChannelState : public basic::SerializableInterface
{
public:
    enum DataEntryType : int
    {
        DATA_ENTRY_RPN = 0,
        DATA_ENTRY_NRPN = 1
    };

    static constexpr int NBR_NOTES = 128;
    static constexpr int NBR_NRPN = 2048;   // NRPN numbers that keep a value
    static constexpr int CODE_MAX = 0x3FFF; // largest 14-bit code
    static constexpr int RPN_BEND_RANGE = 0;
    static constexpr int RPN_TUNING_FINE = 1;
    static constexpr int RPN_TUNING_COARSE = 2;
    static constexpr int RPN_NULL = CODE_MAX;
    static constexpr int RANGE_CODE_DEFAULT = 2 << 7;    // 2 semitones
    static constexpr int TUNING_CODE_DEFAULT = 64 << 7;  // no detuning
    static constexpr long RECORD_SIZE = 28;

    MidiChannelState() = default;
    ~MidiChannelState() override = default;

    // Main thread only; may allocate (the NRPN table, once). Makes the
    // channel live with default values; the pedals keep their state and are
    // rebuilt into the note-off filter. Returns 0.
    [[nodiscard]] int init(MidiReceiverInterface& client, int chn);
    // Main thread only. Makes the channel inert.
    void restore() noexcept;
    // True between `init` and `restore`.
    [[nodiscard]] bool is_live() const noexcept { return _client != nullptr; }
    [[nodiscard]] MidiReceiverInterface* use_client() const noexcept { return _client; }
    [[nodiscard]] int get_channel() const noexcept { return _chn; }

    // Audio thread; no lock, no allocation. Notes outside 0..127 are ignored.
    // detune is in semitones.
    void midi_note_on(int note, int velocity, float detune) noexcept;
    void midi_note_off(int note, int velocity) noexcept;
    // False (and the note marked delayed) when the pedals hold the note-off
    // back.
    [[nodiscard]] bool filter_note_off(int note) noexcept;
    void send_delayed_notes_off() noexcept;
    void update_note_off_filter() noexcept;
    // cmd is the status high nibble (8..14). Handles the pedal controllers,
    // then passes the command to the client.
    void transmit_channel_command(int cmd, int data1, int data2) noexcept;
    void set_aftertouch(int note, int value) noexcept;
    void set_chn_pressure(int value) noexcept;

    void set_bank_msb(int v) noexcept;
    void set_bank_lsb(int v) noexcept;
    [[nodiscard]] int get_bank() const noexcept { return _bank; }
    void set_program(int prog) noexcept;
    [[nodiscard]] std::int64_t get_program() const noexcept { return _program; }

    void set_pitch_bend(int lsb, int msb) noexcept;
    [[nodiscard]] double get_pitch_bend() const noexcept { return _pitch_bend; }
    void set_pitch_bend_range(int lsb, int msb) noexcept;
    // In semitones.
    [[nodiscard]] double get_pitch_bend_range() const noexcept { return _bend_range; }
    [[nodiscard]] double get_pitch_modifier() const noexcept { return _pitch_modifier; }

    // Number selects: the MSB writes bits 7-13, the LSB bits 0-6; each makes
    // its kind the target of data entry.
    void set_rpn_id_msb(int v) noexcept;
    void set_rpn_id_lsb(int v) noexcept;
    void set_nrpn_id_msb(int v) noexcept;
    void set_nrpn_id_lsb(int v) noexcept;
    [[nodiscard]] int get_rpn_id() const noexcept { return _rpn_id; }
    [[nodiscard]] int get_nrpn_id() const noexcept { return _nrpn_id; }
    [[nodiscard]] DataEntryType get_data_entry_type() const noexcept { return _data_entry_type; }

    // True when data entry now reaches a number that the channel keeps:
    // NRPN 0..2047, RPN 0, 1, 2 and the null number 16383. Data entry on any
    // other number is ignored whole: no change, no report.
    [[nodiscard]] bool is_data_entry_handled() const noexcept;
    // Data entry (controllers 6 and 38) on the current RPN or NRPN.
    void set_xrpn_msb(int v) noexcept;
    void set_xrpn_lsb(int v) noexcept;
    // The value of the current RPN: range code, tuning code, coarse tuning;
    // 0 for any other number.
    [[nodiscard]] int get_rpn_val() const noexcept;
    // The stored value of the current NRPN; 0 when the number keeps none.
    [[nodiscard]] int get_nrpn_val() const noexcept;
    // RPN number 0, default range and tuning codes, pitch modifier 0; range
    // and bend step keep their derived values.
    void rpn_reset() noexcept;
    void update_pitch_modifier() noexcept;
    void update_pitch_bend_range() noexcept;

    // Main thread only. A zero marker leaves the state as it is; the codes
    // are clamped to 0..16383 and a pitch bend that is not finite reads as 0.
    // The client, if any, gets the pitch bend. Both return 0.
    [[nodiscard]] int read_from_memory(const unsigned char* data) override;
    [[nodiscard]] int write_to_memory(unsigned char* data) const override;
    [[nodiscard]] long get_object_size() const override { return RECORD_SIZE; }
    [[nodiscard]] static constexpr long get_max_size() noexcept { return RECORD_SIZE; }

private:
    using NoteSet = std::bitset<NBR_NOTES>;

    [[nodiscard]] static bool is_note(int note) noexcept { return note >= 0 && note < NBR_NOTES; }
    // The data entry byte on its bits of the current number's code.
    void set_xrpn(int v, bool msb_flag) noexcept;
    void set_pedal(bool& pedal, bool on) noexcept;

    MidiReceiverInterface* _client = nullptr;
    int _chn = -1;
    NoteSet _held;
    NoteSet _note_off_filter;
    NoteSet _delayed;
    bool _sustain = false;
    bool _sostenuto = false;
    DataEntryType _data_entry_type = DATA_ENTRY_RPN;
    int _bank = -1;
    std::int64_t _program = -1;
    int _rpn_id = -1;
    int _range_code = -1;
    int _tuning_code = -1;
    int _nrpn_id = -1;
    std::vector<std::uint16_t> _nrpn_values;
    double _pitch_bend = 0.0;
    double _bend_range = 0.0;
    double _bend_step = 0.0;
    double _pitch_modifier = 0.0;
};

} // namespace mppi
