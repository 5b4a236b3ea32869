#include "lib/mppi/NormalizedParamInterface.h"

#include <algorithm>
#include <cmath>

namespace mppi {

static_assert(std::atomic<double>::is_always_lock_free,
              "the audio thread reads parameter values without a lock");
static_assert(std::atomic<float>::is_always_lock_free,
              "the audio thread reads parameter values without a lock");

NormalizedParamInterface::~NormalizedParamInterface() = default;

void NormalizedParamInterface::init(double natural, int level)
{
    const float norm = normalize_val(natural);
    store(natural, norm);
    _init_nrm_val = norm;
    _automation_level = level;
    set_mod_amount(0.0f);
}

int NormalizedParamInterface::get_range_type() const noexcept
{
    return 0;
}

bool NormalizedParamInterface::is_morphable() const noexcept
{
    return true;
}

void NormalizedParamInterface::do_set_val() noexcept {}

double NormalizedParamInterface::do_get_mod_val(int /*index*/) const noexcept
{
    return get_nat_val();
}

float NormalizedParamInterface::do_get_mod(int /*index*/) const noexcept
{
    return _mod_amount.load(std::memory_order_relaxed);
}

void NormalizedParamInterface::set_nrm_val(float norm) noexcept
{
    if (std::isnan(norm)) {
        return;
    }
    const float clamped = std::clamp(norm, 0.0f, 1.0f);
    store(denormalize_val(clamped), clamped);
    do_set_val();
    notify_listener();
}

void NormalizedParamInterface::set_nat_val(double natural) noexcept
{
    store(natural, normalize_val(natural));
    do_set_val();
    notify_listener();
}

float NormalizedParamInterface::get_nrm_val() const noexcept
{
    return _nrm_val.load(std::memory_order_relaxed);
}

double NormalizedParamInterface::get_nat_val() const noexcept
{
    return _nat_val.load(std::memory_order_relaxed);
}

void NormalizedParamInterface::print_val(char* text, long max, double natural) const noexcept
{
    do_print_val(text, max, natural);
}

double NormalizedParamInterface::scan_val(const char* text, bool& ok) const noexcept
{
    return do_scan_val(text, ok);
}

void NormalizedParamInterface::store(double natural, float norm) noexcept
{
    _nat_val.store(natural, std::memory_order_relaxed);
    _nrm_val.store(norm, std::memory_order_relaxed);
}

} // namespace mppi
