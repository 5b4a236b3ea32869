#include "lib/tnw/sys/posix/NativeMutex.h"

#include <new>

#include <pthread.h>

namespace tnw::sys::posix {

namespace {

static_assert(sizeof(pthread_mutex_t) <= 64, "NativeMutex storage too small");
static_assert(alignof(pthread_mutex_t) <= 16, "NativeMutex storage under-aligned");

pthread_mutex_t* use_mutex(unsigned char* storage) noexcept
{
    return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}

} // namespace

bool NativeMutex::init() noexcept
{
    auto* mutex = ::new (static_cast<void*>(_storage)) pthread_mutex_t{};
    return ::pthread_mutex_init(mutex, nullptr) == 0;
}

void NativeMutex::destroy() noexcept
{
    ::pthread_mutex_destroy(use_mutex(_storage));
}

bool NativeMutex::lock() noexcept
{
    return ::pthread_mutex_lock(use_mutex(_storage)) == 0;
}

bool NativeMutex::unlock() noexcept
{
    return ::pthread_mutex_unlock(use_mutex(_storage)) == 0;
}

} // namespace tnw::sys::posix
