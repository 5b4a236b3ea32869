#pragma once

// The exact distortion curve of the effect's stereo roads over blocks:
// D(x) = (float) ((2/pi) atan(x gain pi/2)), the arctangent and the products
// in double precision (the argument formed as (x gain) pi/2).
//
// A block evaluates a fast arctangent, a vector of samples at a time, and
// keeps its result only where it provably rounds to the float that the
// library's arctangent gives: where every value within a relative 2^-40 of the
// fast result rounds to the same float. Both arctangents are far closer than
// that to the true value (the library's within an ulp, the fast one within a
// relative 2^-45), so the two doubles lie in that interval together.
// Elsewhere (a result within 2^-40 of a rounding boundary between two floats,
// at most about one sample in thirty thousand, or a NaN) the sample is
// computed by the definition itself.
// So every sample has the bits of `eval`.
class DistoExact
{
public:
    // Any thread. The curve at one sample by its definition, with the
    // library's arctangent.
    [[nodiscard]] static float eval(float x, float gain) noexcept;

    // Audio thread; no lock, no allocation. dst[i] = eval(src[i], gain) for
    // i < nbr_spl (0 or more); dst may be src.
    static void process_block(float* dst, const float* src, long nbr_spl, float gain) noexcept;
    // Audio thread; no lock, no allocation. dst[i] += eval(src[i], gain).
    static void process_block_mix(float* dst, const float* src, long nbr_spl, float gain) noexcept;
};
