#!/usr/bin/env python3
"""Independent exact-arithmetic model of the shortest-digit generator.

Writes float_digit_vectors.txt beside this script: one line per case,
    <base> <16 hex digits of the double's bits> <k> <digits>
where the digits (0-9, a-f) have weights base^(k-1), base^(k-2), ...

Everything here is done with Python integers and fractions, so the model has
no rounding of its own except the one the procedure asks for (the upper
candidate rounded to p + 8 significant bits). The procedure modelled:
  - p = 53 for normal doubles, the bit length of the fraction field for
    subnormals; U = 2^(e - p + 1) with 2^e <= x < 2^(e+1);
  - H = x + U/2; L = x - U/4 when x is a power of two whose lower neighbour
    is half as far (fraction field 0, biased exponent above 1), else x - U/2;
  - k is the integer with base^(k-1) < H <= base^k, S = base^k;
  - digit n: R = R * base, d = floor(R), A = A * base + d, w = S / base^n,
    V = A * w, V2 = V + w rounded half up to p + 8 significant bits;
    low-ok = V > L, high-ok = V2 < H; neither: R = R - d and continue;
    only low-ok: d is last; only high-ok: d + 1 is last; both: d when
    |x - V| < |x - V2|, else d + 1, and it is last;
  - a first digit 0 makes the generation restart from k - 1.

Run: python3 gen_float_digit_vectors.py   (deterministic: fixed seed)
"""

import math
import os
import random
import struct
from fractions import Fraction

DIGIT_CHARS = "0123456789abcdef"


def bits_of(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def double_of(bits):
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def decompose(bits):
    """Returns (exact value, p, e, asymmetric) of a positive finite double."""
    biased = (bits >> 52) & 0x7FF
    frac = bits & ((1 << 52) - 1)
    if biased == 0:
        mant, scale, p = frac, -1074, frac.bit_length()
    else:
        mant, scale, p = frac | (1 << 52), biased - 1075, 53
    value = Fraction(mant) * Fraction(2) ** scale
    e = mant.bit_length() - 1 + scale
    asymmetric = frac == 0 and biased > 1
    return value, p, e, asymmetric


def round_sig_bits(v, nbits):
    """Rounds v > 0 half up to nbits significant bits."""
    e = v.numerator.bit_length() - v.denominator.bit_length()
    if Fraction(2) ** e > v:
        e -= 1
    elif Fraction(2) ** (e + 1) <= v:
        e += 1
    unit = Fraction(2) ** (e - nbits + 1)
    return math.floor(v / unit + Fraction(1, 2)) * unit


def digit_count_exponent(h, base):
    """The k with base^(k-1) < h <= base^k."""
    k = 0
    while Fraction(base) ** k < h:
        k += 1
    while Fraction(base) ** (k - 1) >= h:
        k -= 1
    return k


def generate(x, p, low, high, k, base):
    """Digits from weight base^(k-1) down; None when the first digit is 0."""
    s = Fraction(base) ** k
    r = x / s
    a = 0
    digits = []
    n = 0
    while True:
        n += 1
        r *= base
        d = math.floor(r)
        a = a * base + d
        w = s / Fraction(base) ** n
        v = a * w
        v2 = round_sig_bits(v + w, p + 8)
        low_ok = v > low
        high_ok = v2 < high
        last = low_ok or high_ok
        if high_ok and (not low_ok or abs(x - v) >= abs(x - v2)):
            d += 1
        if n == 1 and d == 0:
            return None
        assert d < base, "digit overflow"
        digits.append(d)
        if last:
            return digits
        r -= math.floor(r)


def shortest_digits(bits, base):
    x, p, e, asymmetric = decompose(bits)
    u = Fraction(2) ** (e - p + 1)
    high = x + u / 2
    low = x - (u / 4 if asymmetric else u / 2)
    k = digit_count_exponent(high, base)
    digits = generate(x, p, low, high, k, base)
    if digits is None:
        k -= 1
        digits = generate(x, p, low, high, k, base)
    return k, "".join(DIGIT_CHARS[d] for d in digits)


def special_doubles():
    out = []
    out.append(1)  # 2^-1074
    out.append(bits_of(2.2250738585072014e-308))  # DBL_MIN
    out.append(bits_of(1.7976931348623157e308))  # DBL_MAX
    out.append(bits_of(2.2250738585072014e-308) - 1)  # largest subnormal
    for e in range(-1074, 1024):  # every power of two
        out.append(bits_of(math.ldexp(1.0, e)))
    for n in range(-323, 309):  # powers of ten and their neighbours
        b = bits_of(float("1e%d" % n))
        out.extend([b - 1, b, b + 1])
    for b in (bits_of(2.0**53 - 1), bits_of(2.0**53), bits_of(2.0**53 + 2)):
        out.append(b)
    for v in (0.3, 0.1, 0.5, 0.125, 123.456, 1.5e-7, 2.68, 1e23, 5e-324):
        out.append(bits_of(v))
    b23 = bits_of(1e23)
    out.extend(range(b23 - 4, b23 + 5))
    return out


def random_doubles(rng, count):
    out = []
    while len(out) < count:
        b = rng.getrandbits(64) & 0x7FFFFFFFFFFFFFFF
        if (b >> 52) == 0x7FF or b == 0:
            continue
        out.append(b)
    return out


def random_subnormals(rng, count):
    return [rng.randrange(1, 1 << 52) for _ in range(count)]


def main():
    rng = random.Random(20240611)
    cases = []
    decimal_set = special_doubles() + random_doubles(rng, 3000) + random_subnormals(rng, 300)
    for b in decimal_set:
        cases.append((10, b))
    small_set = [bits_of(math.ldexp(1.0, e)) for e in range(-1074, 1024, 7)]
    small_set += [1, bits_of(1.7976931348623157e308), bits_of(0.1), bits_of(0.3)]
    small_set += random_doubles(rng, 300) + random_subnormals(rng, 40)
    for base in (2, 16):
        for b in small_set:
            cases.append((base, b))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "float_digit_vectors.txt")
    with open(path, "w") as f:
        f.write("# base bits k digits; made by gen_float_digit_vectors.py\n")
        for base, b in cases:
            k, digits = shortest_digits(b, base)
            f.write("%d %016x %d %s\n" % (base, b, k, digits))


if __name__ == "__main__":
    main()
