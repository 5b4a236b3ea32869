#pragma once

#include "lib/basic/SerializableInterface.h"
#include "lib/mppi/ProgramSlot.h"

#include <vector>

namespace mppi {

// An ordered list of programs, held by value.
//
// A value used by one thread at a time: the main thread builds, loads and
// serialises banks and hands a copy to the audio thread through the two-slot
// hand-over; the audio thread only reads it (const accessors, no allocation,
// no lock).
//
// Stored form, the bank image (big-endian): the number of programs c and the
// record size s as 32-bit words, then program i's record at 8 + i s, each
// record zero-padded to s bytes. s is the largest record size of the bank, so
// a bank whose programs all have program 0's shape gives the record size of
// program 0. An empty bank has no image.
class BankManager : public basic::SerializableInterface
{
public:
    // One default program.
    BankManager();
    // `nbr_prog` default programs (none for a negative count).
    explicit BankManager(int nbr_prog);
    // Member-wise: the programs keep their flags.
    BankManager(const BankManager& other) = default;
    BankManager(BankManager&& other) noexcept = default;
    ~BankManager() override = default;
    // Main thread only; may allocate. Takes the other bank's program list:
    // programs that exist in both are assigned program by program (each keeps
    // its flags), added programs are copies, surplus programs are dropped.
    BankManager& operator=(const BankManager& other);
    void swap(BankManager& other) noexcept { _prog_arr.swap(other._prog_arr); }

    // Size of the image header: the program count and the record size.
    [[nodiscard]] static int get_header_size() noexcept;

    [[nodiscard]] int get_nbr_prog() const noexcept { return static_cast<int>(_prog_arr.size()); }
    // May allocate. Drops programs from the end or appends default ones; a
    // negative count gives none.
    void set_nbr_prog(int nbr);

    // The index is not checked.
    [[nodiscard]] ProgramSlot& operator[](int index) noexcept
    {
        return _prog_arr[static_cast<std::size_t>(index)];
    }
    [[nodiscard]] const ProgramSlot& operator[](int index) const noexcept
    {
        return _prog_arr[static_cast<std::size_t>(index)];
    }

    // Program assignment both ways: program `index` keeps its flags in
    // `store`, `prog` keeps its flags in `load`. The index is not checked.
    void store(int index, const ProgramSlot& prog);
    void load(int index, ProgramSlot& prog) const;

    // May allocate. Room for that many values and extra bytes in every
    // program; no visible change.
    void reserve_memory(long nbr_param, long nbr_extra);

    // 8 + c s; 8 for an empty bank.
    [[nodiscard]] long get_object_size() const override;

    // Writes the image into get_object_size() bytes at `data`. 0, or
    // BankErr::SERIALIZE for an empty bank and for one whose sizes do not fit
    // the image's fields.
    [[nodiscard]] int write_to_memory(unsigned char* data) const override;

    // Main thread only; may allocate (std::bad_alloc passes on). Reads an
    // image of `len` bytes. Before the bank is touched the whole image is
    // checked: c >= 1, s >= 76, 8 + c s <= len, and every record within its s
    // bytes (ProgramSlot::check_record); anything else is refused with
    // BankErr::PARSE and the bank stays as it was. Otherwise the bank gets c
    // programs (surplus ones dropped, missing ones appended) and program i
    // reads record i, flags included.
    [[nodiscard]] int read_from_memory(const unsigned char* data, long len);
    // As above, for a caller that vouches the image holds the 8 + c s bytes
    // its header announces.
    [[nodiscard]] int read_from_memory(const unsigned char* data) override;

private:
    // The largest record size of the programs: the stride of the image.
    [[nodiscard]] long get_record_size() const noexcept;

    std::vector<ProgramSlot> _prog_arr;
};

} // namespace mppi
