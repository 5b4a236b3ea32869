#include "lib/tnw/sys/CritSec.h"

#include "lib/tnw/sys/Mutex.h"

namespace tnw::sys {

CritSec::CritSec(Mutex& mutex, bool lock_flag) : _mutex(mutex)
{
    if (lock_flag) {
        enter();
    }
}

CritSec::~CritSec()
{
    // A failing unlock cannot be reported from a destructor; the mutex is
    // left as the system left it.
    if (_entered) {
        _entered = false;
        try {
            _mutex.unlock();
        } catch (...) {
        }
    }
}

void CritSec::enter()
{
    if (!_entered) {
        _mutex.lock();
        _entered = true;
    }
}

void CritSec::leave()
{
    if (_entered) {
        _mutex.unlock();
        _entered = false;
    }
}

} // namespace tnw::sys
