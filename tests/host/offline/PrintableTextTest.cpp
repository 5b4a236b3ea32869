#include "host/offline/PrintableText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using host::offline::make_printable;

// The code points of `text` read as UTF-8 by the definition (lead bits,
// shortest form, no surrogate, at most U+10FFFF); false when it is not
// well-formed.
bool decode_utf8(const std::string& text, std::vector<std::uint32_t>& points)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int len = lead < 0x80       ? 1
                        : lead >> 5 == 6  ? 2
                        : lead >> 4 == 14 ? 3
                        : lead >> 3 == 30 ? 4
                                          : 0;
        if (len == 0 || i + std::size_t(len) > text.size()) {
            return false;
        }
        std::uint32_t point = len == 1 ? lead : lead & (0x7fu >> len);
        for (int k = 1; k < len; ++k) {
            const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if (next >> 6 != 2) {
                return false;
            }
            point = point << 6 | (next & 0x3fu);
        }
        const std::uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < shortest[len] || point > 0x10ffff || (point >= 0xd800 && point < 0xe000)) {
            return false;
        }
        points.push_back(point);
        i += std::size_t(len);
    }
    return true;
}

// What a reader of the shown text takes it for: \xHH is the byte HH.
std::string read_back(const std::string& shown)
{
    std::string bytes;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\\' && i + 3 < shown.size() && shown[i + 1] == 'x') {
            bytes += char(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += shown[i];
        }
    }
    return bytes;
}

std::string encode_utf8(std::uint32_t point)
{
    if (point < 0x80) {
        return std::string(1, char(point));
    }
    if (point < 0x800) {
        return {char(0xc0 | point >> 6), char(0x80 | (point & 0x3f))};
    }
    if (point < 0x10000) {
        return {char(0xe0 | point >> 12), char(0x80 | (point >> 6 & 0x3f)),
                char(0x80 | (point & 0x3f))};
    }
    return {char(0xf0 | point >> 18), char(0x80 | (point >> 12 & 0x3f)),
            char(0x80 | (point >> 6 & 0x3f)), char(0x80 | (point & 0x3f))};
}

TEST(PrintableText, ShowsControlsAndBrokenUtf8AsBytesAndKeepsTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Mine.wav", "Mine.wav"},
        {"a\x1b[2Jb\n\x7f", "a\\x1b[2Jb\\x0a\\x7f"},
        {"c1 \xc2\x9b[2J \xc2\x80", "c1 \\xc2\\x9b[2J \\xc2\\x80"},
        {"raw \x9b[2J", "raw \\x9b[2J"},
        {"Fa\u00e7ade \u00a0\u266b \U0001F3B5", "Fa\u00e7ade \u00a0\u266b \U0001F3B5"},
        {"cut \xe2\x99", "cut \\xe2\\x99"},
        {"overlong \xc0\xaf \xe0\x80\xaf", "overlong \\xc0\\xaf \\xe0\\x80\\xaf"},
        {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
        {"past the end \xf4\x90\x80\x80", "past the end \\xf4\\x90\\x80\\x80"},
        {"back\\x41slash", "back\\x5cx41slash"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(make_printable(text), shown);
    }
}

// Random bytes, with C1 controls, backslashes and well-formed code points
// mixed in: what is shown is well-formed UTF-8 without a control character,
// reads back to the bytes given, and leaves printable UTF-8 as it is.
TEST(PrintableText, AnyBytesShowWithoutControlsAndReadBack)
{
    std::mt19937 random(29);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        std::string printable;
        const int nbr_pieces = int(random() % 12);
        for (int k = 0; k < nbr_pieces; ++k) {
            switch (random() % 5) {
            case 0:
                text += char(random() % 256);
                break;
            case 1:
                text += {char(0xc2), char(0x80 + random() % 0x20)};
                break;
            case 2:
                text += "\\x";
                break;
            default: {
                std::uint32_t point = 0;
                do {
                    point = random() % (random() % 2 == 0 ? 0x80 : 0x110000);
                } while (point < 0x20 || (point >= 0x7f && point < 0xa0) || point == '\\' ||
                         (point >= 0xd800 && point < 0xe000));
                text += encode_utf8(point);
                printable += encode_utf8(point);
                break;
            }
            }
        }
        const std::string shown = make_printable(text);
        std::vector<std::uint32_t> points;
        ASSERT_TRUE(decode_utf8(shown, points)) << shown;
        for (const std::uint32_t point : points) {
            ASSERT_FALSE(point < 0x20 || (point >= 0x7f && point < 0xa0)) << shown;
        }
        ASSERT_EQ(read_back(shown), text) << shown;
        ASSERT_EQ(make_printable(printable), printable);
    }
}

} // namespace
