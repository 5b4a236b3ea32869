#include "lib/mppi/ProgramSlot.h"

#include "lib/basic/StrBounded.h"
#include "lib/mppi/BankErr.h"
#include "lib/mppi/BigEndian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mppi {
namespace {

constexpr char DEFAULT_NAME[] = "Default";

} // namespace

ProgramSlot::ProgramSlot()
{
    set_name(DEFAULT_NAME);
}

ProgramSlot& ProgramSlot::operator=(const ProgramSlot& other)
{
    if (this != &other) {
        _param_arr = other._param_arr;
        _extra_arr = other._extra_arr;
        _name = other._name;
    }
    return *this;
}

void ProgramSlot::set_name(const char* name) noexcept
{
    basic::strncpy_0(_name.data(), name != nullptr ? name : "", NAME_SIZE);
}

void ProgramSlot::set_name(const std::string& name) noexcept
{
    set_name(name.c_str());
}

void ProgramSlot::set_nbr_param(int nbr)
{
    _param_arr.resize(static_cast<std::size_t>(std::max(nbr, 0)), 0.0F);
}

void ProgramSlot::reserve_nbr_param(long nbr)
{
    _param_arr.reserve(static_cast<std::size_t>(std::max(nbr, 0L)));
}

void ProgramSlot::set_extra_byte_size(long nbr)
{
    _extra_arr.resize(static_cast<std::size_t>(std::max(nbr, 0L)), 0);
}

void ProgramSlot::reserve_extra_byte_size(long nbr)
{
    _extra_arr.reserve(static_cast<std::size_t>(std::max(nbr, 0L)));
}

long ProgramSlot::get_object_size() const
{
    return get_object_size_from_param(get_nbr_param(), get_extra_byte_size());
}

int ProgramSlot::write_to_memory(unsigned char* data) const
{
    const long nbr_param = get_nbr_param();
    const long nbr_extra = get_extra_byte_size();
    if (nbr_param > MAX_NBR_PARAM || nbr_extra > MAX_EXTRA_BYTE_SIZE) {
        return BankErr::SERIALIZE;
    }
    BigEndian::write_u32(data + OFS_FLAGS, static_cast<std::uint32_t>(_flags));
    BigEndian::write_u16(data + OFS_NAME_LEN, NAME_SIZE);
    BigEndian::write_u16(data + OFS_NBR_PARAM, static_cast<std::uint16_t>(nbr_param));
    BigEndian::write_u32(data + OFS_NBR_EXTRA, static_cast<std::uint32_t>(nbr_extra));
    // The whole field is written, so no byte of an earlier use of the buffer
    // travels with the record.
    char* const name = reinterpret_cast<char*>(data + OFS_NAME);
    std::memset(name, 0, NAME_SIZE);
    basic::strncpy_0(name, _name.data(), NAME_SIZE);
    unsigned char* dst = data + MIN_RECORD_SIZE;
    for (const float val : _param_arr) {
        BigEndian::write_float(dst, val);
        dst += PARAM_SIZE;
    }
    if (nbr_extra > 0) {
        std::memcpy(dst, _extra_arr.data(), _extra_arr.size());
    }
    return 0;
}

long ProgramSlot::get_stated_size(const unsigned char* data) noexcept
{
    const long stated = OFS_NAME + long{BigEndian::read_u16(data + OFS_NAME_LEN)} +
                        PARAM_SIZE * long{BigEndian::read_u16(data + OFS_NBR_PARAM)} +
                        long{BigEndian::read_u32(data + OFS_NBR_EXTRA)};
    return std::max(stated, MIN_RECORD_SIZE);
}

bool ProgramSlot::check_record(const unsigned char* data, long len) noexcept
{
    return data != nullptr && len >= MIN_RECORD_SIZE && get_stated_size(data) <= len;
}

int ProgramSlot::read_from_memory(const unsigned char* data, long len)
{
    if (!check_record(data, len)) {
        return BankErr::PARSE;
    }
    read_record(data);
    return 0;
}

int ProgramSlot::read_from_memory(const unsigned char* data)
{
    if (data == nullptr) {
        return BankErr::PARSE;
    }
    return read_from_memory(data, get_stated_size(data));
}

void ProgramSlot::read_record(const unsigned char* data)
{
    const std::size_t nbr_param = BigEndian::read_u16(data + OFS_NBR_PARAM);
    const std::size_t nbr_extra = BigEndian::read_u32(data + OFS_NBR_EXTRA);
    // Room first: should it fail, the program is still unchanged.
    _param_arr.reserve(nbr_param);
    _extra_arr.reserve(nbr_extra);

    _flags = BigEndian::read_s32(data + OFS_FLAGS);
    basic::strncpy_0(_name.data(), reinterpret_cast<const char*>(data + OFS_NAME), NAME_SIZE);
    // The values follow the name field as long as the record says it is.
    const unsigned char* src = data + OFS_NAME + BigEndian::read_u16(data + OFS_NAME_LEN);
    _param_arr.resize(nbr_param);
    for (float& val : _param_arr) {
        val = BigEndian::read_float(src);
        src += PARAM_SIZE;
    }
    _extra_arr.assign(src, src + nbr_extra);
}

} // namespace mppi
