#pragma once

#include "lib/basic/SerializableInterface.h"

#include <array>
#include <string>
#include <vector>

namespace mppi {

// One program (preset): a name of at most 63 characters, a flags word, the
// normalised value (0..1) of every parameter by index and a run of extra bytes
// that the framework carries without giving them a meaning.
//
// A value used by one thread at a time: the main thread builds, copies and
// serialises programs; the audio thread may read a program of a bank that the
// hand-over gave it. The const accessors allocate nothing and take no lock.
//
// Stored form, the program record (big-endian, n values, e extra bytes):
//   0  flags, low 32 bits        4  length of the name field (64 when written)
//   6  n (16 bits)               8  e (32 bits)
//   12 name field, zero-terminated text, zero-padded
//   12 + name-field length: n floats as IEEE 754 bit patterns, then e bytes.
class ProgramSlot : public basic::SerializableInterface
{
public:
    // Size of the name field, terminator included.
    static constexpr int NAME_SIZE = 64;
    // The most values and extra bytes a record can state.
    static constexpr long MAX_NBR_PARAM = 0xFFFF;
    static constexpr long MAX_EXTRA_BYTE_SIZE = 0xFFFFFFFFL;

    // Named "Default", flags 0, no values, no extra bytes.
    ProgramSlot();
    // Member-wise, flags included.
    ProgramSlot(const ProgramSlot& other) = default;
    ProgramSlot(ProgramSlot&& other) noexcept = default;
    ~ProgramSlot() override = default;
    // Main thread only; may allocate. Copies the values, the extra bytes and
    // the name; the target keeps its own flags.
    ProgramSlot& operator=(const ProgramSlot& other);

    // Keeps at most 63 characters; a null name is the empty one.
    void set_name(const char* name) noexcept;
    void set_name(const std::string& name) noexcept;
    [[nodiscard]] const char* get_name() const noexcept { return _name.data(); }

    // Only the low 32 bits reach a record.
    void set_flags(long flags) noexcept { _flags = flags; }
    [[nodiscard]] long get_flags() const noexcept { return _flags; }

    [[nodiscard]] int get_nbr_param() const noexcept { return static_cast<int>(_param_arr.size()); }
    // May allocate. New values are 0, surplus values are dropped; a negative
    // count gives none.
    void set_nbr_param(int nbr);
    // May allocate. Room for that many values; no visible change.
    void reserve_nbr_param(long nbr);
    // The normalised value at `index`; the index is not checked.
    [[nodiscard]] float get_param(int index) const noexcept
    {
        return _param_arr[static_cast<std::size_t>(index)];
    }
    void set_param(int index, float val) noexcept
    {
        _param_arr[static_cast<std::size_t>(index)] = val;
    }

    [[nodiscard]] long get_extra_byte_size() const noexcept
    {
        return static_cast<long>(_extra_arr.size());
    }
    // May allocate. New bytes are 0, surplus bytes are dropped.
    void set_extra_byte_size(long nbr);
    void reserve_extra_byte_size(long nbr);
    // The index is not checked.
    void set_extra_byte(long index, unsigned char val) noexcept
    {
        _extra_arr[static_cast<std::size_t>(index)] = val;
    }
    [[nodiscard]] unsigned char get_extra_byte(long index) const noexcept
    {
        return _extra_arr[static_cast<std::size_t>(index)];
    }
    [[nodiscard]] unsigned char* use_extra_byte_buf() noexcept { return _extra_arr.data(); }
    [[nodiscard]] const unsigned char* use_extra_byte_buf() const noexcept
    {
        return _extra_arr.data();
    }

    // Record size of a program with that many values and extra bytes.
    [[nodiscard]] static constexpr long get_object_size_from_param(long nbr_param,
                                                                   long nbr_extra) noexcept
    {
        return OFS_NAME + NAME_SIZE + PARAM_SIZE * nbr_param + nbr_extra;
    }
    [[nodiscard]] long get_object_size() const override;

    // Writes the record into get_object_size() bytes at `data`, the name field
    // in full. 0, or BankErr::SERIALIZE when the counts do not fit their
    // fields (nothing is written then).
    [[nodiscard]] int write_to_memory(unsigned char* data) const override;

    // Main thread only; may allocate. Reads a record of `len` bytes. A record
    // whose counts point past `len` (see check_record) is refused with
    // BankErr::PARSE and the program stays as it was.
    [[nodiscard]] int read_from_memory(const unsigned char* data, long len);
    // As above, for a caller that vouches the record holds all the bytes its
    // own counts announce.
    [[nodiscard]] int read_from_memory(const unsigned char* data) override;

    // True when `len` bytes at `data` hold a whole record: at least the name
    // field (76 bytes), and 12 + name-field length + 4 n + e <= len, the
    // counts taken as unsigned.
    [[nodiscard]] static bool check_record(const unsigned char* data, long len) noexcept;

private:
    // Layout of a record.
    static constexpr long OFS_FLAGS = 0;
    static constexpr long OFS_NAME_LEN = 4;
    static constexpr long OFS_NBR_PARAM = 6;
    static constexpr long OFS_NBR_EXTRA = 8;
    static constexpr long OFS_NAME = 12;
    static constexpr long PARAM_SIZE = 4;
    // A record without values: the fields and the written name field.
    static constexpr long MIN_RECORD_SIZE = OFS_NAME + NAME_SIZE;

    // The record's own extent by its counts (at least the 76 bytes of a
    // record without values).
    [[nodiscard]] static long get_stated_size(const unsigned char* data) noexcept;
    // Reads a record that check_record accepted.
    void read_record(const unsigned char* data);

    std::vector<float> _param_arr;
    std::vector<unsigned char> _extra_arr;
    std::array<char, NAME_SIZE> _name{};
    long _flags = 0;
};

} // namespace mppi
