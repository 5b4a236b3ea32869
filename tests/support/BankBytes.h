#pragma once

#include "lib/mppi/BankManager.h"
#include "lib/mppi/ProgramSlot.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<unsigned char>;

// What a program holds, and how its record is built by hand from the record
// layout (big-endian fields at 0, 4, 6, 8; name field at 12; values; extra
// bytes), independently of the code under test.
class ProgRecord
{
public:
    long flags = 0;
    std::string name = "Default";
    std::vector<float> values;
    Bytes extra;
    int name_len = 64;

    // The program with these contents.
    [[nodiscard]] mppi::ProgramSlot make() const
    {
        mppi::ProgramSlot prog;
        prog.set_flags(flags);
        prog.set_name(name);
        prog.set_nbr_param(static_cast<int>(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i) {
            prog.set_param(static_cast<int>(i), values[i]);
        }
        prog.set_extra_byte_size(static_cast<long>(extra.size()));
        std::copy(extra.begin(), extra.end(), prog.use_extra_byte_buf());
        return prog;
    }

    [[nodiscard]] Bytes record() const
    {
        Bytes out;
        put(out, static_cast<std::uint32_t>(flags), 4);
        put(out, static_cast<std::uint32_t>(name_len), 2);
        put(out, static_cast<std::uint32_t>(values.size()), 2);
        put(out, static_cast<std::uint32_t>(extra.size()), 4);
        Bytes field(static_cast<std::size_t>(name_len), 0);
        std::memcpy(field.data(), name.data(), std::min(name.size(), field.size()));
        out.insert(out.end(), field.begin(), field.end());
        for (const float val : values) {
            put(out, std::bit_cast<std::uint32_t>(val), 4);
        }
        out.insert(out.end(), extra.begin(), extra.end());
        return out;
    }

    // Appends the low `size` bytes of `val`, most significant first.
    static void put(Bytes& out, std::uint32_t val, int size)
    {
        for (int i = size - 1; i >= 0; --i) {
            out.push_back(static_cast<unsigned char>(val >> (8 * i)));
        }
    }
};

// A bank image by hand: count, stride (the longest record), then every record
// zero-padded to the stride.
inline Bytes image_bytes(const std::vector<ProgRecord>& progs)
{
    std::size_t stride = 0;
    for (const auto& prog : progs) {
        stride = std::max(stride, prog.record().size());
    }
    Bytes out;
    ProgRecord::put(out, static_cast<std::uint32_t>(progs.size()), 4);
    ProgRecord::put(out, static_cast<std::uint32_t>(stride), 4);
    for (const auto& prog : progs) {
        Bytes rec = prog.record();
        rec.resize(stride, 0);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

// A bank file by hand: "TWBK", the image size, the image.
inline Bytes file_bytes(const Bytes& image)
{
    Bytes out = {'T', 'W', 'B', 'K'};
    ProgRecord::put(out, static_cast<std::uint32_t>(image.size()), 4);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

inline mppi::BankManager make_bank(const std::vector<ProgRecord>& progs)
{
    mppi::BankManager bank(static_cast<int>(progs.size()));
    for (std::size_t i = 0; i < progs.size(); ++i) {
        bank[static_cast<int>(i)] = progs[i].make();
        bank[static_cast<int>(i)].set_flags(progs[i].flags);
    }
    return bank;
}

// The bank's image as its own writer gives it: two banks with equal images
// hold the same programs, flags included.
inline Bytes image_of(const mppi::BankManager& bank)
{
    Bytes out(static_cast<std::size_t>(bank.get_object_size()), 0);
    if (bank.write_to_memory(out.data()) != 0) {
        out.clear();
    }
    return out;
}

// `nbr` programs of `nbr_param` values, each with its own name, flags and values.
inline std::vector<ProgRecord> sample_progs(int nbr, int nbr_param)
{
    std::vector<ProgRecord> progs(static_cast<std::size_t>(nbr));
    for (int i = 0; i < nbr; ++i) {
        auto& prog = progs[static_cast<std::size_t>(i)];
        prog.flags = i * 3 + 1;
        prog.name = "Prog " + std::to_string(i);
        for (int k = 0; k < nbr_param; ++k) {
            prog.values.push_back(static_cast<float>((i + k) % 17) / 16.0F);
        }
    }
    return progs;
}

} // namespace test_support
