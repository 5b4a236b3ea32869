#pragma once

#include <cassert>
#include <cstddef>

namespace basic {

// Fixed-size array of N elements of T held by value: no heap, no count of its
// own, so sizeof(Array<T, N>) == N * sizeof(T) and an Array of trivially
// destructible elements is itself trivially destructible (usable as scratch
// memory on the audio path). Indexing is unchecked; debug builds assert the
// index. Thread use is that of the elements.
template <typename T, std::size_t N>
class Array
{
public:
    [[nodiscard]] static constexpr std::size_t size() noexcept { return N; }

    [[nodiscard]] T& operator[](std::size_t pos) noexcept
    {
        assert(pos < N);
        return _elt[pos];
    }
    [[nodiscard]] const T& operator[](std::size_t pos) const noexcept
    {
        assert(pos < N);
        return _elt[pos];
    }

    [[nodiscard]] T* data() noexcept { return _elt; }
    [[nodiscard]] const T* data() const noexcept { return _elt; }

private:
    T _elt[N];
};

} // namespace basic
