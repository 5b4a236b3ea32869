// Feeds arbitrary input to the date text parser, the binary stream reader
// and the binary date reader. The first byte chooses the target; for the
// stream it also splits the rest into a list of operations and the block
// they run on.
#include "lib/tnw/sys/UtcTime.h"
#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/util/BinaryStreamInput.h"
#include "lib/tnw/util/BinaryStreamOutputVector.h"
#include "lib/tnw/util/Date.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using tnw::archi::UByte;
using tnw::util::BinaryStreamInput;
using tnw::util::Date;

void check(bool ok)
{
    if (!ok) {
        std::abort();
    }
}

[[nodiscard]] bool same(const Date& a, const Date& b)
{
    return a.get_year() == b.get_year() && a.get_month() == b.get_month() &&
           a.get_day() == b.get_day() && a.get_hour() == b.get_hour() &&
           a.get_minute() == b.get_minute() && a.get_second() == b.get_second();
}

void fuzz_text(const std::string& text)
{
    Date date(1, 2, 3, 4, 5, 6);
    const Date before = date;
    if (date.set(text.c_str()) != 0) {
        check(same(date, before));
        return;
    }
    check(date.is_valid() && date.get_year() >= -10000 && date.get_year() <= 10000);
    char printed[Date::TEXT_LEN + 1];
    date.print(printed);
    check(std::strlen(printed) == Date::TEXT_LEN);
    // Four characters show the years -9999 to 9999; the check admits two more.
    Date again;
    check(again.set(printed) == 0 && (same(again, date) || std::abs(date.get_year()) == 10000));
}

// Runs one operation per byte of ops on the block; arguments come from the
// following bytes of ops.
void fuzz_stream(const UByte* ops, std::size_t nbr_ops, const UByte* block, std::size_t size)
{
    BinaryStreamInput stream(block, size);
    for (std::size_t i = 0; i < nbr_ops; ++i) {
        const std::size_t before = stream.tell();
        long long arg = 0;
        std::memcpy(&arg, ops + i, std::min<std::size_t>(sizeof(arg), nbr_ops - i));
        int ret = 0;
        switch (ops[i] % 12) {
        case 0: {
            bool v = false;
            ret = stream.read(v, nullptr);
            break;
        }
        case 1: {
            std::int8_t v = 0;
            ret = stream.read(v, "s8");
            break;
        }
        case 2: {
            std::uint16_t v = 0;
            ret = stream.read(v, nullptr);
            break;
        }
        case 3: {
            std::int32_t v = 0;
            ret = stream.read(v, nullptr);
            break;
        }
        case 4: {
            long long v = 0;
            ret = stream.read(v, "s64");
            break;
        }
        case 5: {
            double v = 0;
            ret = stream.read(v, nullptr);
            break;
        }
        case 6: {
            void* v = nullptr;
            ret = stream.read(v, nullptr);
            break;
        }
        case 7: {
            std::string v;
            ret = stream.read(v, "text");
            break;
        }
        case 8: {
            const UByte* p = nullptr;
            ret = stream.read(p, static_cast<std::size_t>(arg), nullptr);
            check(ret != 0 || p == block + before || (p == nullptr && block == nullptr));
            break;
        }
        case 9:
            ret = stream.seek_beg(static_cast<std::size_t>(arg), nullptr);
            break;
        case 10:
            ret = stream.seek_end(static_cast<std::size_t>(arg), nullptr);
            break;
        default:
            ret = stream.advance(static_cast<long>(arg), "advance");
            break;
        }
        check(ret == 0 || ret == BinaryStreamInput::ERR_END_OF_DATA);
        check(stream.tell() <= size && stream.size() == size - stream.tell());
    }
}

void fuzz_binary_date(const UByte* data, std::size_t size)
{
    BinaryStreamInput stream(data, size);
    Date date(1, 2, 3, 4, 5, 6);
    const Date before = date;
    if (date.read(stream) != 0) {
        check(same(date, before));
        return;
    }
    check(date.is_valid());
    tnw::util::BinaryStreamOutputVector out;
    date.write(out);
    check(out.size() == stream.tell() && std::memcmp(out.data(), data, out.size()) == 0);

    tnw::sys::UtcTime t;
    if (t.conv_from_date(date, tnw::sys::TimeZoneType_UTC) == 0) {
        const Date back(t, tnw::sys::TimeZoneType_UTC);
        check(std::fabs(back.compute_duration_since(date)) < 1e-6);
    }

    // Amounts from the bytes after the date: the result stays a valid date,
    // or the date is left as it was.
    int amounts[5] = {0, 0, 0, 0, 0};
    double seconds = 0;
    std::memcpy(amounts, data + out.size(), std::min(sizeof(amounts), size - out.size()));
    if (size >= out.size() + sizeof(amounts) + sizeof(seconds)) {
        std::memcpy(&seconds, data + out.size() + sizeof(amounts), sizeof(seconds));
    }
    date.add_time(amounts[0], amounts[1], amounts[2], amounts[3], amounts[4], seconds);
    check(date.is_valid());
    char printed[Date::TEXT_LEN + 1];
    date.print(printed);
    check(std::strlen(printed) == Date::TEXT_LEN);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        // Refusals are logged; a callback mode without a callback drops them.
        tnw::tdbg::LogMgr::create_as_plugin("fuzz", nullptr);
        return true;
    }();
    static_cast<void>(quiet);
    if (size == 0) {
        return 0;
    }
    const UByte* rest = data + 1;
    const std::size_t rest_size = size - 1;
    switch (data[0] % 3) {
    case 0:
        fuzz_text(std::string(reinterpret_cast<const char*>(rest), rest_size));
        break;
    case 1: {
        const std::size_t split = std::min<std::size_t>(data[0] / 3, rest_size);
        fuzz_stream(rest, split, (rest_size > split) ? rest + split : nullptr, rest_size - split);
        break;
    }
    default:
        fuzz_binary_date(rest, rest_size);
        break;
    }
    return 0;
}
