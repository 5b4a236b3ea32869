#include "lib/mppi/ParamPriorityList.h"

#include <algorithm>

namespace mppi {

void ParamPriorityList::set_nbr_param(int nbr)
{
    _list.resize(static_cast<size_t>(std::max(nbr, 0)));
}

bool ParamPriorityList::is_free(int index, double now, int prio) const noexcept
{
    return is_valid(index) && _list[static_cast<size_t>(index)].is_free(now, prio);
}

bool ParamPriorityList::get(int index, double now, int prio) noexcept
{
    return is_valid(index) && _list[static_cast<size_t>(index)].get(now, prio);
}

void ParamPriorityList::release(int index, int prio) noexcept
{
    if (is_valid(index)) {
        _list[static_cast<size_t>(index)].release(prio);
    }
}

void ParamPriorityList::release_all() noexcept
{
    for (ParamPriority& entry : _list) {
        entry.release();
    }
}

void ParamPriorityList::set_ttl(double seconds) noexcept
{
    for (ParamPriority& entry : _list) {
        entry.set_ttl(seconds);
    }
}

} // namespace mppi
