#pragma once

#include <cassert>
#include <cstddef>

namespace basic {

// Owning heap array of default-constructed elements whose size is set by
// resize(), rarely. Main thread only; may allocate. Not copyable: the array
// has exactly one owner, which frees it once.
template <typename T>
class DynArray
{
public:
    DynArray() noexcept = default;
    DynArray(const DynArray& other) = delete;
    DynArray& operator=(const DynArray& other) = delete;
    // Destroys every element, last first, and frees the array.
    ~DynArray() { resize(0); }

    // Gives nbr_elt fresh default-constructed elements; the old ones are
    // destroyed (last first), none of them is kept. Resizing to the current
    // size changes nothing. When the allocation or an element constructor
    // throws, the elements made so far are destroyed, the array is left empty
    // and the exception passes on.
    void resize(std::size_t nbr_elt);

    // Unchecked; debug builds assert pos < size().
    [[nodiscard]] T& operator[](std::size_t pos) noexcept
    {
        assert(pos < _nbr_elt);
        return _elt_ptr[pos];
    }
    [[nodiscard]] const T& operator[](std::size_t pos) const noexcept
    {
        assert(pos < _nbr_elt);
        return _elt_ptr[pos];
    }

    [[nodiscard]] std::size_t size() const noexcept { return _nbr_elt; }

private:
    // Null exactly when _nbr_elt is 0.
    T* _elt_ptr = nullptr;
    std::size_t _nbr_elt = 0;
};

template <typename T>
void DynArray<T>::resize(std::size_t nbr_elt)
{
    if (nbr_elt == _nbr_elt) {
        return;
    }
    // The array form of delete destroys the elements in reverse order.
    delete[] _elt_ptr;
    _elt_ptr = nullptr;
    _nbr_elt = 0;
    if (nbr_elt == 0) {
        return;
    }
    // The array form of new destroys the elements already made and frees the
    // memory when a constructor throws.
    _elt_ptr = new T[nbr_elt];
    _nbr_elt = nbr_elt;
}

} // namespace basic
