#pragma once

#include "lib/tnw/sys/CritSec.h"
#include "lib/tnw/sys/Mutex.h"

#include <atomic>
#include <memory>

namespace tnw::util {

// Base of a class T with one process-wide instance, created by the first
// use_instance() and deleted when the process ends. T derives from
// SingletonBase<T> and lets it reach its default constructor (usually by
// making SingletonBase<T> a friend).
template <typename T>
class SingletonBase
{
public:
    SingletonBase(const SingletonBase& other) = delete;
    SingletonBase& operator=(const SingletonBase& other) = delete;
    virtual ~SingletonBase() = default;

    // Any thread. Once the instance exists: one flag test, no lock. The first
    // calls build it under a per-type lock, so racing threads build exactly
    // one. When T's constructor throws, the exception passes on, the
    // singleton stays uncreated and the next call tries again.
    [[nodiscard]] static T& use_instance();

protected:
    SingletonBase() = default;

private:
    // Set (release) only once the instance is stored; the fast path's
    // acquire load therefore sees the whole instance.
    static inline std::atomic<bool> _singleton_init_flag{false};
    static inline std::unique_ptr<T> _singleton_aptr;
};

template <typename T>
T& SingletonBase<T>::use_instance()
{
    if (_singleton_init_flag.load(std::memory_order_acquire)) {
        return *_singleton_aptr;
    }
    // Built once, thread-safely, by the language's guarded initialisation.
    static sys::Mutex mutex_new;
    sys::CritSec lock(mutex_new, true);
    // Under the lock: another thread may have built the instance meanwhile.
    if (!_singleton_init_flag.load(std::memory_order_relaxed)) {
        _singleton_aptr.reset(new T);
        _singleton_init_flag.store(true, std::memory_order_release);
    }
    return *_singleton_aptr;
}

} // namespace tnw::util
