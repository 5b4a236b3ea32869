#pragma once

#include <memory>
#include <type_traits>

namespace basic {

// Reference-counted pointer with a plain, separately allocated count shared
// by every copy. One thread at a time: all copies and releases of pointers
// that share one count must happen on one thread at a time (set-up and
// shut-down on the main thread); other threads may use the object through a
// plain pointer taken from get(), but never copy or release a SharedPtr.
//
// Every newly made pointer, also an empty one, owns a count of 1. The last
// pointer of a count deletes the object (through its virtual destructor when
// the pointer is to a base class) and frees the count.
template <typename T>
class SharedPtr
{
public:
    // Allocates a count of 1; throws std::bad_alloc when it cannot.
    SharedPtr() : SharedPtr(nullptr) {}
    // Takes ownership of obj_ptr (null allowed). When the count cannot be
    // allocated, obj_ptr is deleted and std::bad_alloc passes on.
    explicit SharedPtr(T* obj_ptr);
    SharedPtr(const SharedPtr& other) noexcept;
    // Shares an object of a derived type U (U* must convert to T*).
    template <typename U>
    requires std::is_convertible_v<U*, T*> SharedPtr(const SharedPtr<U>& other)
    noexcept;
    // Does nothing when both point to the same object (also when both are
    // null: each keeps its own count). other may live inside the object that
    // this pointer releases.
    SharedPtr& operator=(const SharedPtr& other) noexcept;
    ~SharedPtr();

    [[nodiscard]] T* get() const noexcept { return _obj_ptr; }
    [[nodiscard]] T& operator*() const noexcept { return *_obj_ptr; }
    [[nodiscard]] T* operator->() const noexcept { return _obj_ptr; }

private:
    template <typename U>
    friend class SharedPtr;

    void release() noexcept;

    T* _obj_ptr = nullptr;
    long* _count_ptr = nullptr;
};

template <typename T>
SharedPtr<T>::SharedPtr(T* obj_ptr)
{
    std::unique_ptr<T> owner(obj_ptr);
    _count_ptr = new long(1);
    _obj_ptr = owner.release();
}

template <typename T>
SharedPtr<T>::SharedPtr(const SharedPtr& other) noexcept
    : _obj_ptr(other._obj_ptr), _count_ptr(other._count_ptr)
{
    ++*_count_ptr;
}

template <typename T>
template <typename U>
requires std::is_convertible_v<U*, T*> SharedPtr<T>::SharedPtr(const SharedPtr<U>& other)
noexcept : _obj_ptr(other._obj_ptr), _count_ptr(other._count_ptr)
{
    ++*_count_ptr;
}

template <typename T>
SharedPtr<T>& SharedPtr<T>::operator=(const SharedPtr& other) noexcept
{
    if (other._obj_ptr != _obj_ptr) {
        // The other's share is taken before this one is released: the release may delete
        // the object that holds other (advancing a list head: head = head->next).
        T* const obj_ptr = other._obj_ptr;
        long* const count_ptr = other._count_ptr;
        ++*count_ptr;
        release();
        _obj_ptr = obj_ptr;
        _count_ptr = count_ptr;
    }
    return *this;
}

template <typename T>
SharedPtr<T>::~SharedPtr()
{
    release();
}

template <typename T>
void SharedPtr<T>::release() noexcept
{
    --*_count_ptr;
    if (*_count_ptr < 1) {
        delete _obj_ptr;
        _obj_ptr = nullptr;
        delete _count_ptr;
        _count_ptr = nullptr;
    }
}

} // namespace basic
