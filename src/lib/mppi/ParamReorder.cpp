#include "lib/mppi/ParamReorder.h"

#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyMulti.h"
#include "lib/basic/StrNumDate.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/NormalizedParamInterface.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstring>
#include <string>

namespace mppi {

static_assert(std::atomic<int>::is_always_lock_free,
              "the audio thread maps host indices without a lock");

namespace {

constexpr int OPEN = -1;

// The parameter number at the start of an item: blanks, an optional sign and
// decimal digits, as the C number reader takes them but whatever the locale.
// OPEN when nothing parses or the number is outside 0..nbr-1 (a number beyond
// the integer range saturates, so it never wraps into range).
int parse_item_index(const std::string& text, int nbr) noexcept
{
    const char* stop = nullptr;
    const long long value = basic::read_decimal(text.c_str(), &stop);
    if (stop == text.c_str() || value < 0 || value >= nbr) {
        return OPEN;
    }
    return static_cast<int>(value);
}

} // namespace

// Ordering of the two copies (a sequence lock over two copies): the
// committer steps the sequence and then writes the copy that readers have
// just left, with release stores; a reader loads the sequence with acquire,
// reads the entries of its copy with acquire and checks that the sequence
// has not moved. A reader that took any entry of a commit thereby sees the
// step before it and tries again; a reader that sees an unchanged sequence
// read a copy that no commit touched meanwhile, completed before the step it
// loaded. Readers never wait for the committer, which always writes the copy
// they are not sent to; a read is only repeated when a commit step passed
// during it. Every entry is an atomic, so an entry read that is thrown away
// is no data race.

std::atomic<int>& ParamReorder::use_entry(int copy, Dir dir, int index) const noexcept
{
    const auto table = size_t(copy) * 2 + (dir == Dir::NAT_2_WRAP ? 1 : 0);
    return _copy_arr[table * size_t(_nbr_param) + size_t(index)];
}

template <typename F>
int ParamReorder::read(F read_copy) const noexcept
{
    for (;;) {
        const std::uint64_t seq = _seq.load(std::memory_order_acquire);
        const int result = read_copy(int(seq & 1));
        if (_seq.load(std::memory_order_relaxed) == seq) {
            return result;
        }
    }
}

template <typename F>
void ParamReorder::commit(F entry_of) noexcept
{
    const auto nbr = size_t(_nbr_param);
    const auto write_copy = [&](int copy) {
        for (size_t i = 0; i < nbr; ++i) {
            for (const Dir dir : {Dir::WRAP_2_NAT, Dir::NAT_2_WRAP}) {
                use_entry(copy, dir, int(i)).store(entry_of(dir, i), std::memory_order_release);
            }
        }
    };
    // Readers move to copy 1, which holds the current map whole.
    const std::uint64_t seq = _seq.fetch_add(1, std::memory_order_release);
    assert((seq & 1) == 0 && "one commit at a time");
    write_copy(0);
    // Readers move back to copy 0, which now holds the new map whole.
    _seq.store(seq + 2, std::memory_order_release);
    write_copy(1);
}

ParamReorder::~ParamReorder() = default;

void ParamReorder::init(const DspInterface& dsp)
{
    _dsp_ptr = &dsp;
    const int nbr = std::max(dsp.get_nbr_param(), 0);
    if (nbr != _nbr_param || _copy_arr == nullptr) {
        _copy_arr = std::make_unique<std::atomic<int>[]>(4 * static_cast<size_t>(nbr));
        _nbr_param = nbr;
    }
    reset();
}

void ParamReorder::reset() noexcept
{
    commit([](Dir, size_t i) { return int(i); });
}

int ParamReorder::map(Dir dir, int index) const noexcept
{
    if (index < 0 || index >= _nbr_param) {
        return index;
    }
    return read(
        [&](int copy) { return use_entry(copy, dir, index).load(std::memory_order_acquire); });
}

int ParamReorder::map_wrap_2_nat(int w) const noexcept
{
    return map(Dir::WRAP_2_NAT, w);
}

int ParamReorder::map_nat_2_wrap(int p) const noexcept
{
    return map(Dir::NAT_2_WRAP, p);
}

int ParamReorder::get_wrap_2_nat(std::span<int> wrap_2_nat) const noexcept
{
    const int nbr = int(std::min(size_t(_nbr_param), wrap_2_nat.size()));
    return read([&](int copy) {
        for (int w = 0; w < nbr; ++w) {
            wrap_2_nat[size_t(w)] =
                use_entry(copy, Dir::WRAP_2_NAT, w).load(std::memory_order_acquire);
        }
        return nbr;
    });
}

int ParamReorder::save_settings(basic::ConfKeyMulti& root)
{
    basic::ConfKeyContentMulti content;
    const int code = encode_map_key_content(content);
    root.add_unique(basic::ConfKeyData(_REORDER_KEY_NAME_0, content));
    return code;
}

int ParamReorder::load_settings(const basic::ConfKeyMulti& root)
{
    const long index = root.find_index_data(_REORDER_KEY_NAME_0);
    if (index < 0) {
        return 0;
    }
    const auto& key = static_cast<const basic::ConfKeyData&>(root[index]);
    const auto* list = dynamic_cast<const basic::ConfKeyContentMulti*>(key.use_content());
    if (list == nullptr) {
        return 0;
    }
    return decode_map_key_content(*list);
}

int ParamReorder::encode_map_key_content(basic::ConfKeyContentMulti& content) const
{
    constexpr long ITEM_MAX = 256;
    for (int w = 0; w < _nbr_param; ++w) {
        const int p = map_wrap_2_nat(w);
        char item[ITEM_MAX];
        char* const num_end = std::to_chars(item, item + ITEM_MAX, p).ptr;
        *num_end = '_';
        char* const name = num_end + 1;
        _dsp_ptr->get_param_ref(p).get_name(name, ITEM_MAX - (name - item));
        content.push_back(basic::ConfKeyContentString(basic::ConfKeyInterface::mangle_name(item)));
    }
    return 0;
}

int ParamReorder::decode_map_key_content(const basic::ConfKeyContentMulti& content)
{
    std::vector<int> wrap_2_nat(static_cast<size_t>(_nbr_param), OPEN);
    std::vector<int> nat_2_wrap(static_cast<size_t>(_nbr_param), OPEN);
    const long nbr_items = std::min(content.get_nbr_contents(), long(_nbr_param));
    for (long w = 0; w < nbr_items; ++w) {
        const auto* item = dynamic_cast<const basic::ConfKeyContentString*>(content.use_content(w));
        if (item == nullptr) {
            continue;
        }
        const int p = parse_item_index(item->get_text(), _nbr_param);
        if (p != OPEN && nat_2_wrap[size_t(p)] == OPEN) {
            wrap_2_nat[size_t(w)] = p;
            nat_2_wrap[size_t(p)] = int(w);
        }
    }
    complete_and_commit_new_map(wrap_2_nat, nat_2_wrap);
    return 0;
}

void ParamReorder::complete_and_commit_new_map(std::vector<int>& wrap_2_nat,
                                               std::vector<int>& nat_2_wrap)
{
    const auto nbr = static_cast<size_t>(_nbr_param);
    wrap_2_nat.resize(nbr, OPEN);
    nat_2_wrap.resize(nbr, OPEN);
    const auto pairs_back = [nbr](const std::vector<int>& to, const std::vector<int>& back,
                                  size_t i) {
        const int j = to[i];
        return j >= 0 && size_t(j) < nbr && back[size_t(j)] == int(i);
    };
    for (size_t w = 0; w < nbr; ++w) {
        if (!pairs_back(wrap_2_nat, nat_2_wrap, w)) {
            wrap_2_nat[w] = OPEN;
        }
    }
    for (size_t p = 0; p < nbr; ++p) {
        if (!pairs_back(nat_2_wrap, wrap_2_nat, p)) {
            nat_2_wrap[p] = OPEN;
        }
    }

    // An index open on both sides pairs with itself first; the remaining open
    // host positions then take the lowest open parameters in order.
    for (size_t i = 0; i < nbr; ++i) {
        if (wrap_2_nat[i] == OPEN && nat_2_wrap[i] == OPEN) {
            wrap_2_nat[i] = int(i);
            nat_2_wrap[i] = int(i);
        }
    }
    size_t free_p = 0;
    for (size_t w = 0; w < nbr; ++w) {
        if (wrap_2_nat[w] != OPEN) {
            continue;
        }
        while (nat_2_wrap[free_p] != OPEN) {
            ++free_p;
        }
        wrap_2_nat[w] = int(free_p);
        nat_2_wrap[free_p] = int(w);
    }

    commit(
        [&](Dir dir, size_t i) { return dir == Dir::WRAP_2_NAT ? wrap_2_nat[i] : nat_2_wrap[i]; });
}

} // namespace mppi
