#include "lib/tnw/sys/Mutex.h"

#include <stdexcept>

namespace tnw::sys {

Mutex::Mutex()
{
    if (!_native.init()) {
        throw std::runtime_error("tnw::sys::Mutex::Mutex(): Cannot create mutex.");
    }
}

Mutex::Mutex(const Mutex& /*other*/)
{
    if (!_native.init()) {
        throw std::runtime_error("tnw::sys::Mutex::Mutex(const Mutex &): Cannot create mutex.");
    }
}

Mutex& Mutex::operator=(const Mutex& /*other*/) noexcept
{
    return *this;
}

Mutex::~Mutex()
{
    _native.destroy();
}

void Mutex::lock() const
{
    if (!_native.lock()) {
        throw std::runtime_error("tnw::sys::Mutex::lock(): Cannot lock mutex.");
    }
}

void Mutex::unlock() const
{
    if (!_native.unlock()) {
        throw std::runtime_error("tnw::sys::Mutex::unlock(): Cannot unlock mutex.");
    }
}

} // namespace tnw::sys
