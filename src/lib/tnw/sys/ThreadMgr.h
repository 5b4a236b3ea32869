#pragma once

namespace tnw::sys {

// Services for the calling thread. Any thread; no lock, no allocation.
class ThreadMgr
{
public:
    // The system's id of a thread; 0 is never a valid one.
    using ThreadId = long;

    // Handed unchanged to the system as the thread's scheduling weight. On
    // this platform that is the nice value, so a smaller value means more
    // processor time; raising a thread above NORMAL may need privileges.
    enum class Priority : int
    {
        LOWEST = 19,
        LOW = 10,
        NORMAL = 0,
        HIGH = -10,
        HIGHEST = -20
    };

    ThreadMgr() = delete;

    [[nodiscard]] static ThreadId get_current_thread_id() noexcept;
    [[nodiscard]] static ThreadId get_invalid_thread_id() noexcept { return 0; }

    // Gives up the processor to any other thread.
    static void yield() noexcept;

    // Sleeps for the given time truncated to whole microseconds. A negative
    // or NaN time sleeps 0 microseconds, as does anything below one.
    static void sleep(double seconds) noexcept;

    // Number of logical processors online; 1 when the system cannot tell.
    [[nodiscard]] static int count_nbr_logical_proc() noexcept;

    // Sets the calling thread's priority: 0, or -2946 when the system refuses.
    [[nodiscard]] static int set_priority(Priority priority) noexcept;

    // Does nothing: threads carry no name in this system.
    static void set_thread_name(const char* name) noexcept;
};

} // namespace tnw::sys
