#include "lib/mppi/MidiCtrlMap.h"

#include <algorithm>

namespace mppi {

// Ordering of the version pool: every access to the current-version pointer,
// the reader counts and the busy flags is sequentially consistent. A reader
// raises a count and then checks that the version is still current; a writer
// takes a version and then checks that its count is zero. Each side stores
// and then loads what the other stores, which only a single total order makes
// safe: with it, either the reader sees that the version was replaced or the
// writer sees the reader. The table data itself is plain memory: the writer
// fills it before publishing the pointer, and a reader's release of its count
// comes before a writer's reuse of the version.

const MidiCtrlMap::Entry* MidiCtrlMap::Table::find(long ctrl_id) const noexcept
{
    const int pos = lower_bound(ctrl_id);
    if (pos < _nbr && _entry_arr[size_t(pos)]._ctrl_id == ctrl_id) {
        return &_entry_arr[size_t(pos)];
    }
    return nullptr;
}

const MidiCtrlMap::Entry* MidiCtrlMap::Table::find_param(int param) const noexcept
{
    const auto end = _entry_arr.begin() + _nbr;
    const auto it = std::find_if(_entry_arr.begin(), end,
                                 [param](const Entry& e) { return e._param == param; });
    return (it == end) ? nullptr : &*it;
}

bool MidiCtrlMap::Table::is_bound_only_to(int param, long ctrl_id) const noexcept
{
    const Entry* first = find_param(param);
    if (first == nullptr || first->_ctrl_id != ctrl_id) {
        return false;
    }
    const auto end = _entry_arr.begin() + _nbr;
    return std::find_if(_entry_arr.begin() + (first - _entry_arr.data()) + 1, end,
                        [param](const Entry& e) { return e._param == param; }) == end;
}

bool MidiCtrlMap::Table::bind(int param, long ctrl_id) noexcept
{
    const Entry* found = find(ctrl_id);
    if (found == nullptr && _nbr >= CAPACITY) {
        // Room is made only by the parameter's own bindings.
        const auto nbr_own = std::count_if(_entry_arr.begin(), _entry_arr.begin() + _nbr,
                                           [param](const Entry& e) { return e._param == param; });
        if (nbr_own == 0) {
            return false;
        }
    }
    unbind(param);
    const int pos = lower_bound(ctrl_id);
    if (pos < _nbr && _entry_arr[size_t(pos)]._ctrl_id == ctrl_id) {
        _entry_arr[size_t(pos)]._param = param;
        return true;
    }
    std::copy_backward(_entry_arr.begin() + pos, _entry_arr.begin() + _nbr,
                       _entry_arr.begin() + _nbr + 1);
    _entry_arr[size_t(pos)] = Entry{ctrl_id, param};
    ++_nbr;
    return true;
}

void MidiCtrlMap::Table::unbind(int param) noexcept
{
    const auto end = std::remove_if(_entry_arr.begin(), _entry_arr.begin() + _nbr,
                                    [param](const Entry& e) { return e._param == param; });
    _nbr = int(end - _entry_arr.begin());
}

void MidiCtrlMap::Table::copy_from(const Table& other) noexcept
{
    std::copy_n(other._entry_arr.begin(), other._nbr, _entry_arr.begin());
    _nbr = other._nbr;
}

int MidiCtrlMap::Table::lower_bound(long ctrl_id) const noexcept
{
    const auto it = std::lower_bound(_entry_arr.begin(), _entry_arr.begin() + _nbr, ctrl_id,
                                     [](const Entry& e, long id) { return e._ctrl_id < id; });
    return int(it - _entry_arr.begin());
}

MidiCtrlMap::MidiCtrlMap() : _version_arr(std::make_unique<Version[]>(NBR_VERSIONS))
{
    _version_arr[0]._busy_flag.store(true, std::memory_order_seq_cst);
    _cur_version.store(&_version_arr[0], std::memory_order_seq_cst);
}

MidiCtrlMap::Version* MidiCtrlMap::pin() const noexcept
{
    for (;;) {
        Version* version = _cur_version.load(std::memory_order_seq_cst);
        version->_nbr_readers.fetch_add(1, std::memory_order_seq_cst);
        if (_cur_version.load(std::memory_order_seq_cst) == version) {
            return version;
        }
        // Replaced in between: a writer may own it already.
        unpin(*version);
    }
}

void MidiCtrlMap::unpin(Version& version) noexcept
{
    version._nbr_readers.fetch_sub(1, std::memory_order_seq_cst);
}

MidiCtrlMap::Version* MidiCtrlMap::claim() noexcept
{
    for (int i = 0; i < NBR_VERSIONS; ++i) {
        Version& version = _version_arr[size_t(i)];
        bool busy = false;
        if (version._busy_flag.compare_exchange_strong(busy, true, std::memory_order_seq_cst)) {
            if (version._nbr_readers.load(std::memory_order_seq_cst) == 0) {
                return &version;
            }
            version._busy_flag.store(false, std::memory_order_seq_cst);
        }
    }
    return nullptr;
}

bool MidiCtrlMap::publish(Version& base, Version& work) noexcept
{
    Version* expected = &base;
    const bool ok =
        _cur_version.compare_exchange_strong(expected, &work, std::memory_order_seq_cst);
    unpin(base);
    // The replaced version becomes free; a version that lost the race goes back.
    (ok ? base : work)._busy_flag.store(false, std::memory_order_seq_cst);
    return ok;
}

} // namespace mppi
