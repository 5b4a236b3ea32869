#include "lib/basic/DynArray.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// A copy would share the element array and free it twice.
static_assert(!std::is_copy_constructible_v<basic::DynArray<int>>);
static_assert(!std::is_copy_assignable_v<basic::DynArray<int>>);

// Element that takes the next serial number when it is built and records it
// when it is destroyed; the construction numbered `throw_at` throws instead.
struct Serial
{
    static inline int next_id = 0;
    static inline int throw_at = -1;
    static inline std::vector<int> destroyed;

    static void reset()
    {
        next_id = 0;
        throw_at = -1;
        destroyed.clear();
    }

    Serial()
    {
        if (next_id == throw_at) {
            ++next_id;
            throw std::runtime_error("element cannot be built");
        }
        id = next_id++;
    }
    Serial(const Serial& other) = delete;
    Serial& operator=(const Serial& other) = delete;
    ~Serial() { destroyed.push_back(id); }

    int id = -1;
    int mark = 0;
};

std::vector<int> ids_of(const basic::DynArray<Serial>& arr)
{
    std::vector<int> ids;
    for (std::size_t pos = 0; pos < arr.size(); ++pos) {
        ids.push_back(arr[pos].id);
    }
    return ids;
}

TEST(DynArray, ResizeToTheCurrentSizeKeepsEveryElement)
{
    Serial::reset();
    basic::DynArray<Serial> arr;
    arr.resize(3);
    arr[1].mark = 77;
    const Serial* first = &arr[0];
    arr.resize(3);
    EXPECT_EQ(&arr[0], first);
    EXPECT_EQ(arr[1].mark, 77);
    EXPECT_EQ(ids_of(arr), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(Serial::destroyed.empty());
}

TEST(DynArray, ResizeReplacesEveryElementWithFreshOnes)
{
    Serial::reset();
    {
        basic::DynArray<Serial> arr;
        EXPECT_EQ(arr.size(), 0U);
        arr.resize(3);
        arr[0].mark = 5;
        // Growing by one: the old three go (last first), four new ones come
        // in index order, none of them keeps anything of the old ones.
        arr.resize(4);
        EXPECT_EQ(Serial::destroyed, (std::vector<int>{2, 1, 0}));
        EXPECT_EQ(ids_of(arr), (std::vector<int>{3, 4, 5, 6}));
        EXPECT_EQ(arr[0].mark, 0);

        arr.resize(0);
        EXPECT_EQ(arr.size(), 0U);
        EXPECT_EQ(Serial::destroyed, (std::vector<int>{2, 1, 0, 6, 5, 4, 3}));

        arr.resize(2);
        Serial::destroyed.clear();
    }
    // The destructor destroys the elements left, last first.
    EXPECT_EQ(Serial::destroyed, (std::vector<int>{8, 7}));
}

TEST(DynArray, ThrowingElementConstructorLeavesTheArrayEmpty)
{
    Serial::reset();
    basic::DynArray<Serial> arr;
    arr.resize(2);
    Serial::throw_at = 4; // the third element of the next array
    try {
        arr.resize(5);
        FAIL() << "the element constructor should have thrown";
    } catch (const std::runtime_error& err) {
        EXPECT_EQ(std::string(err.what()), "element cannot be built");
    }
    // The old elements went first, then the two new ones already built.
    EXPECT_EQ(Serial::destroyed, (std::vector<int>{1, 0, 3, 2}));
    EXPECT_EQ(arr.size(), 0U);

    // The empty array is usable again.
    arr.resize(1);
    EXPECT_EQ(ids_of(arr), (std::vector<int>{5}));
}

} // namespace
