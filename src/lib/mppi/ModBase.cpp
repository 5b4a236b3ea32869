#include "lib/mppi/ModBase.h"

namespace mppi {

std::atomic<int> ModBase::_next_id{0};

ModBase::ModBase() : _id(generate_id()) {}

ModBase::ModBase(const std::string& name) : _name(name), _id(generate_id()) {}

ModBase::~ModBase() = default;

int ModBase::generate_id() noexcept
{
    return _next_id.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace mppi
