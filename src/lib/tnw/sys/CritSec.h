#pragma once

namespace tnw::sys {

class Mutex;

// Scoped lock on a Mutex. The object belongs to one thread; it holds the
// mutex only while entered, and its destruction always leaves it unlocked.
// Lock and unlock failures of the mutex pass on as std::runtime_error.
class CritSec
{
public:
    // Locks at once when lock_flag is true.
    CritSec(Mutex& mutex, bool lock_flag);
    CritSec(const CritSec& other) = delete;
    CritSec& operator=(const CritSec& other) = delete;
    virtual ~CritSec();

    // Locks unless already entered.
    void enter();
    // Unlocks when entered; otherwise nothing.
    void leave();

private:
    Mutex& _mutex;
    bool _entered = false;
};

} // namespace tnw::sys
