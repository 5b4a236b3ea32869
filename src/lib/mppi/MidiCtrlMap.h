#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace mppi {

// The MIDI manager's map from controller id to parameter index, shared by
// the audio thread (look-up and learn) and the main thread (editing, loading,
// saving) without a lock and without allocating after construction.
//
// The map lives in a fixed pool of versions, each a sorted table of at most
// CAPACITY entries. Readers pin the current version and read it; no writer
// touches a version while it is pinned. A writer claims a free version,
// copies the current one into it, changes the copy and publishes it in one
// compare-and-swap; when another writer published first, it starts again
// from the newer version. So every reader sees one whole version, edits from
// both threads never interleave inside a version, and an edit of several
// entries (a loaded map, the default mapping) appears at once.
//
// Lifecycle: constructed empty on the main thread (allocates the pool); any
// thread may then read and edit. The pool holds enough versions for three
// threads using the map at the same time; beyond that an edit may find no
// free version and fail.
class MidiCtrlMap
{
public:
    static constexpr int CAPACITY = 1024;

    class Entry
    {
    public:
        long _ctrl_id;
        int _param;
    };

    // One version: entries in ascending controller id order, each id once.
    // Single-threaded (a version is only changed while a writer owns it).
    class Table
    {
    public:
        [[nodiscard]] int size() const noexcept { return _nbr; }
        // Precondition: 0 <= i < size().
        [[nodiscard]] const Entry& operator[](int i) const noexcept
        {
            return _entry_arr[size_t(i)];
        }
        // The entry of the id, or null.
        [[nodiscard]] const Entry* find(long ctrl_id) const noexcept;
        // The parameter's entry of lowest id, or null.
        [[nodiscard]] const Entry* find_param(int param) const noexcept;
        // True when param is bound to ctrl_id and to nothing else.
        [[nodiscard]] bool is_bound_only_to(int param, long ctrl_id) const noexcept;

        // Removes every entry of param, then gives ctrl_id to param, moving it
        // from another parameter or adding it. False, with nothing changed,
        // when a new id finds the table full.
        [[nodiscard]] bool bind(int param, long ctrl_id) noexcept;
        void unbind(int param) noexcept;
        void clear() noexcept { _nbr = 0; }
        void copy_from(const Table& other) noexcept;

    private:
        // Position of the first entry whose id is not below ctrl_id.
        [[nodiscard]] int lower_bound(long ctrl_id) const noexcept;

        int _nbr = 0;
        std::array<Entry, CAPACITY> _entry_arr{};
    };

    // What an edit function answers: publish the changed copy, keep the map
    // as it is (nothing to change), or refuse (nothing changes, the edit
    // fails).
    enum class Edit
    {
        PUBLISH,
        KEEP,
        REFUSE
    };

    // What an edit does when another writer published first or every spare
    // version is in use. The audio thread gives up after a bounded number of
    // attempts and never waits. The main thread, once it lost a race, asks
    // the audio thread's edits to give way (they fail at once while it asks)
    // and tries again, yielding the processor between attempts: learn on the
    // audio thread while controllers move may publish on every call, and must
    // not make a settings load or an edit fail.
    enum class Contention
    {
        GIVE_UP,
        WAIT
    };

private:
    class Version
    {
    public:
        // Threads reading this version (or about to check that it is current).
        std::atomic<int> _nbr_readers{0};
        // Set while the version is current or owned by a writer.
        std::atomic<bool> _busy_flag{false};
        Table _table;
    };

public:
    // Any thread; no lock, no allocation. Holds the current version for
    // reading during its life.
    class Reader
    {
    public:
        explicit Reader(const MidiCtrlMap& map) noexcept : _version(map.pin()) {}
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        ~Reader() { unpin(*_version); }

        [[nodiscard]] const Table& use() const noexcept { return _version->_table; }

    private:
        Version* _version;
    };

    // Main thread only; allocates the pool.
    MidiCtrlMap();
    MidiCtrlMap(const MidiCtrlMap&) = delete;
    MidiCtrlMap& operator=(const MidiCtrlMap&) = delete;
    ~MidiCtrlMap() = default;

    // Any thread; no lock, no allocation. Runs f(Table&) on a private copy of
    // the current version and publishes the copy when f answers PUBLISH. f
    // runs again on a fresh copy when another writer published in between, so
    // it must depend on nothing but the table and its own inputs. True when
    // the change is published or f answered KEEP; false when f refused or no
    // version could be had (with WAIT: for MAX_WAIT on end; with GIVE_UP also
    // while a waiting edit asks it to give way).
    template <typename F>
    [[nodiscard]] bool edit(F&& f, Contention contention) noexcept;

private:
    // Attempts of one edit before it gives up: each failed attempt means that
    // another writer published, or that every spare version is in use.
    static constexpr int MAX_ATTEMPTS = 64;
    // How long a waiting edit goes on failing before it gives up: far beyond
    // any scheduling delay, short enough that a writer that never stops
    // publishing cannot hang the main thread.
    static constexpr std::chrono::seconds MAX_WAIT{2};
    static constexpr int NBR_VERSIONS = 8;

    // The outcome of one attempt at an edit.
    enum class Attempt
    {
        DONE,    // published, or f answered KEEP
        REFUSED, // f refused
        LOST     // another writer published first, or no version was free
    };

    template <typename F>
    [[nodiscard]] Attempt attempt_edit(F& f) noexcept;
    [[nodiscard]] Version* pin() const noexcept;
    static void unpin(Version& version) noexcept;
    // A version that is neither current, owned nor read, now owned by the
    // caller; null when there is none.
    [[nodiscard]] Version* claim() noexcept;
    // Publishes work in place of base; false when base is no longer current.
    [[nodiscard]] bool publish(Version& base, Version& work) noexcept;

    std::unique_ptr<Version[]> _version_arr;
    std::atomic<Version*> _cur_version{nullptr};
    // Main-thread edits waiting for their turn. Relaxed order suffices: it is
    // a request to give way, not a guard of the data; seen late, it only
    // delays the waiting edit by an attempt.
    std::atomic<int> _nbr_waiting{0};
};

template <typename F>
MidiCtrlMap::Attempt MidiCtrlMap::attempt_edit(F& f) noexcept
{
    Version* base = pin();
    Version* work = claim();
    if (work == nullptr) {
        unpin(*base);
        return Attempt::LOST;
    }
    work->_table.copy_from(base->_table);
    const Edit res = f(work->_table);
    if (res != Edit::PUBLISH) {
        work->_busy_flag.store(false, std::memory_order_seq_cst);
        unpin(*base);
        return res == Edit::KEEP ? Attempt::DONE : Attempt::REFUSED;
    }
    return publish(*base, *work) ? Attempt::DONE : Attempt::LOST;
}

template <typename F>
bool MidiCtrlMap::edit(F&& f, Contention contention) noexcept
{
    Attempt res = Attempt::LOST;
    if (contention == Contention::GIVE_UP) {
        for (int attempt = 0; attempt < MAX_ATTEMPTS && res == Attempt::LOST; ++attempt) {
            if (_nbr_waiting.load(std::memory_order_relaxed) > 0) {
                return false;
            }
            res = attempt_edit(f);
        }
        return res == Attempt::DONE;
    }
    res = attempt_edit(f);
    if (res == Attempt::LOST) {
        // Lost a race: the audio thread's edits give way until this one lands.
        _nbr_waiting.fetch_add(1, std::memory_order_relaxed);
        const auto deadline = std::chrono::steady_clock::now() + MAX_WAIT;
        do {
            std::this_thread::yield();
            res = attempt_edit(f);
        } while (res == Attempt::LOST && std::chrono::steady_clock::now() < deadline);
        _nbr_waiting.fetch_sub(1, std::memory_order_relaxed);
    }
    return res == Attempt::DONE;
}

} // namespace mppi
