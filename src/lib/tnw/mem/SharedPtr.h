#pragma once

#include "lib/tnw/conc/AioAdd.h"
#include "lib/tnw/conc/AtomicIntOp.h"
#include "lib/tnw/sys/Interlocked.h"

#include <memory>
#include <utility>

namespace tnw::mem {

// Reference-counted pointer whose count is changed atomically. Copies and
// releases of different SharedPtr objects that share one count may run on
// different threads at the same time; one SharedPtr object itself belongs to
// one thread at a time. No lock; copying and releasing never allocate.
//
// An empty pointer has neither object nor count. The last pointer of a
// count deletes the object (through its virtual destructor) and the count.
template <typename T>
class SharedPtr
{
public:
    SharedPtr() noexcept = default;
    // Null gives an empty pointer. Otherwise takes ownership of obj_ptr with
    // a new count of 1; when the count cannot be allocated, obj_ptr is
    // deleted and std::bad_alloc passes on.
    explicit SharedPtr(T* obj_ptr);
    SharedPtr(const SharedPtr& other) noexcept;
    // Does nothing when both point to the same object. other may live inside
    // the object that this pointer releases.
    SharedPtr& operator=(const SharedPtr& other) noexcept;
    ~SharedPtr() { destroy_complete(); }

    // Releases this pointer's share and leaves it empty; the last share
    // deletes the object and the count. Nothing happens on an empty pointer.
    void destroy_complete() noexcept;

    [[nodiscard]] T* get() const noexcept { return _obj_ptr; }
    [[nodiscard]] T& operator*() const noexcept { return *_obj_ptr; }
    [[nodiscard]] T* operator->() const noexcept { return _obj_ptr; }

private:
    void add_share() noexcept;

    T* _obj_ptr = nullptr;
    // Null exactly when _obj_ptr is null.
    long* _count_ptr = nullptr;
};

template <typename T>
SharedPtr<T>::SharedPtr(T* obj_ptr)
{
    if (obj_ptr == nullptr) {
        return;
    }
    std::unique_ptr<T> owner(obj_ptr);
    _count_ptr = new long(0);
    sys::Interlocked::exchange_int64(*_count_ptr, 1L);
    _obj_ptr = owner.release();
}

template <typename T>
SharedPtr<T>::SharedPtr(const SharedPtr& other) noexcept
    : _obj_ptr(other._obj_ptr), _count_ptr(other._count_ptr)
{
    add_share();
}

template <typename T>
SharedPtr<T>& SharedPtr<T>::operator=(const SharedPtr& other) noexcept
{
    if (other._obj_ptr != _obj_ptr) {
        // The other's share is taken before this one is released: the release may delete
        // the object that holds other (advancing a list head: head = head->next).
        SharedPtr taken(other);
        destroy_complete();
        std::swap(_obj_ptr, taken._obj_ptr);
        std::swap(_count_ptr, taken._count_ptr);
    }
    return *this;
}

template <typename T>
void SharedPtr<T>::destroy_complete() noexcept
{
    if (_obj_ptr == nullptr) {
        return;
    }
    // The full barrier of the count's last step orders every other thread's
    // use of the object before the deletion.
    const long remaining = conc::AtomicIntOp<long>::exec_new(*_count_ptr, conc::AioAdd<long>(-1));
    if (remaining == 0) {
        delete _obj_ptr;
        delete _count_ptr;
    }
    // This pointer's share is gone either way: leaving it set would release
    // the same share again.
    _obj_ptr = nullptr;
    _count_ptr = nullptr;
}

template <typename T>
void SharedPtr<T>::add_share() noexcept
{
    if (_count_ptr != nullptr) {
        conc::AtomicIntOp<long>::exec_new(*_count_ptr, conc::AioAdd<long>(1));
    }
}

} // namespace tnw::mem
