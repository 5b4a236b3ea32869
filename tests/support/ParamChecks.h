#pragma once

#include "lib/mppi/NormalizedParamInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

namespace test_support {

// The display text of `natural` written into a buffer of `len` bytes. Fails
// the test when the parameter wrote beyond `len` or left the text without a
// terminator.
inline std::string print_checked(const mppi::NormalizedParamInterface& param, double natural,
                                 long len = 64)
{
    constexpr char untouched = '\x5a';
    char buf[96];
    std::fill(std::begin(buf), std::end(buf), untouched);
    param.do_print_val(buf, len, natural);
    for (long i = std::max(len, 0L); i < static_cast<long>(sizeof buf); ++i) {
        EXPECT_EQ(buf[i], untouched) << "byte " << i << " written with len " << len;
    }
    if (len <= 0) {
        return {};
    }
    EXPECT_NE(std::find(buf, buf + len, '\0'), buf + len) << "no terminator within " << len;
    return std::string(buf);
}

// The parameter's name, unit and range type, and the name cut to `max` bytes.
inline void expect_labels(const mppi::NormalizedParamInterface& param, const std::string& name,
                          const std::string& unit, int range_type)
{
    char text[32];
    param.get_name(text, sizeof text);
    EXPECT_EQ(text, name);
    param.get_name(text, 4);
    EXPECT_EQ(text, name.substr(0, 3));
    param.get_unit(text, sizeof text);
    EXPECT_EQ(text, unit);
    EXPECT_EQ(param.get_range_type(), range_type);
}

// One point of a parameter's travel: the natural value of `norm`, its display
// text, and what normalising that natural value gives back.
struct ParamPoint
{
    float norm;
    double natural;
    const char* text;
    float back;
};

// Checks each point through the mapping and through the normalised setter.
// `rel_tol` bounds the natural value relative to max(1, |natural|).
inline void expect_points(mppi::NormalizedParamInterface& param,
                          std::initializer_list<ParamPoint> points, double rel_tol)
{
    for (const ParamPoint& p : points) {
        const double tol = rel_tol * std::max(1.0, std::fabs(p.natural));
        EXPECT_NEAR(param.denormalize_val(p.norm), p.natural, tol) << "norm " << p.norm;
        param.set_nrm_val(p.norm);
        EXPECT_NEAR(param.get_nat_val(), p.natural, tol) << "norm " << p.norm;
        EXPECT_EQ(print_checked(param, param.get_nat_val()), p.text) << "norm " << p.norm;
        EXPECT_NEAR(param.normalize_val(p.natural), p.back, 1e-6f) << "natural " << p.natural;
    }
}

// A display text and the natural value it parses to.
struct ScanCase
{
    const char* text;
    double natural;
};

inline void expect_scans(const mppi::NormalizedParamInterface& param,
                         std::initializer_list<ScanCase> cases, double tol = 0.0)
{
    for (const ScanCase& c : cases) {
        bool ok = false;
        const double value = param.do_scan_val(c.text, ok);
        EXPECT_TRUE(ok) << '"' << c.text << '"';
        EXPECT_NEAR(value, c.natural, tol) << '"' << c.text << '"';
    }
}

// A refused text leaves `ok` as it was, whichever way it was.
inline void expect_refused(const mppi::NormalizedParamInterface& param,
                           std::initializer_list<const char*> texts)
{
    for (const char* text : texts) {
        for (const bool before : {false, true}) {
            bool ok = before;
            (void)param.do_scan_val(text, ok);
            EXPECT_EQ(ok, before) << '"' << (text != nullptr ? text : "(null)") << '"';
        }
    }
}

} // namespace test_support
