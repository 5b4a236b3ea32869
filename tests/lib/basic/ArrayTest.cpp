#include "lib/basic/Array.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

// The effect's scratch block: 7 rows of 64 floats, 7 * 64 * 4 bytes with no
// count or padding of its own, and nothing to run at destruction.
using ScratchBlock = basic::Array<basic::Array<float, 64>, 7>;
static_assert(sizeof(ScratchBlock) == 1792);
static_assert(std::is_trivially_destructible_v<ScratchBlock>);
static_assert(std::is_trivially_copyable_v<ScratchBlock>);
static_assert(ScratchBlock::size() == 7);

TEST(BasicArray, RowsAndElementsAreContiguousInIndexOrder)
{
    ScratchBlock block{};
    for (std::size_t row = 0; row < ScratchBlock::size(); ++row) {
        for (std::size_t pos = 0; pos < 64; ++pos) {
            block[row][pos] = static_cast<float>(row * 64 + pos);
        }
    }
    // Element (row, pos) is the (row * 64 + pos)-th float of the block.
    const float* flat = block[0].data();
    for (std::size_t idx = 0; idx < 7 * 64; ++idx) {
        ASSERT_EQ(flat[idx], static_cast<float>(idx));
    }
}

} // namespace
