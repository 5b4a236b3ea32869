#pragma once

#include "lib/basic/StrBounded.h"
#include "lib/mppi/NormalizedParamInterface.h"

#include <atomic>
#include <string>
#include <utility>

namespace test_support {

// A parameter of class `Base` (a normalised parameter or one of its abstract
// subclasses) with a given name, whose natural value is its normalised value.
// It counts the calls of its value hook (from any thread), and its destructor sets
// `*deleted_flag` when one is given, so a test can see when the last share
// let it go.
template <typename Base>
class NamedParamOf : public Base
{
public:
    explicit NamedParamOf(std::string name = "", bool* deleted_flag = nullptr)
        : _name(std::move(name)), _deleted_flag(deleted_flag)
    {
    }
    ~NamedParamOf() override
    {
        if (_deleted_flag != nullptr) {
            *_deleted_flag = true;
        }
    }

    void get_name(char* text, long max) const noexcept override
    {
        basic::strncpy_0(text, _name.c_str(), max);
    }
    void get_unit(char* text, long max) const noexcept override { basic::strncpy_0(text, "", max); }
    double denormalize_val(float norm) const noexcept override { return norm; }
    float normalize_val(double natural) const noexcept override
    {
        return static_cast<float>(natural);
    }
    void do_print_val(char* text, long max, double) const noexcept override { get_unit(text, max); }
    double do_scan_val(const char*, bool&) const noexcept override { return 0.0; }
    void do_set_val() noexcept override { nbr_set_val.fetch_add(1, std::memory_order_relaxed); }

    // Relaxed: a count that binding tests bump from two threads and read after joining.
    std::atomic<int> nbr_set_val{0};

private:
    std::string _name;
    bool* _deleted_flag;
};

using NamedParam = NamedParamOf<mppi::NormalizedParamInterface>;

} // namespace test_support
