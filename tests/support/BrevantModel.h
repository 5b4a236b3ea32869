#pragma once

// A slow, plain model of the whole effect, written from its definition step by
// step and sharing no code with it: a reference for golden outputs. It keeps
// the band delay lines as one unbounded history per channel (so a band reads
// exactly its delay, however the real rings wrap), recopies the right band
// filters at every block and tick, and runs every filter sample by sample.
// Parameters are plain natural values; a test that changes one calls
// `changed()` (processor parameters) or `tap_changed()` (Evolution, Tone), as
// the parameters' notifications would. Its blocks run in the processor's
// floating-point mode, subnormal numbers flushed to zero: the hardware mode is
// the one thing it takes from the code under test.

#include "lib/dsp/DenormalFlushScope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace model {

constexpr double PI = 3.141592653589793;

// Second-order section with its analogue prototype.
struct Section
{
    float b[3] = {1, 0, 0};
    float a[3] = {1, 0, 0};
    float xm[2] = {0, 0};
    float ym[2] = {0, 0};
    int t = 0;
    float num[3] = {1, 2, 1};
    float den[3] = {1, 2, 1};
    float fs = 44100;
    float freq = 1000;
    int type = 2;
    float gain = 1;
    float q = 1;

    Section() { design(); }

    void transform()
    {
        const double k = 1.0 / std::tan(double(freq) * PI / double(fs));
        const double norm = 1.0 / (double(den[0]) + double(den[1]) * k + double(den[2]) * k * k);
        b[0] = float((double(num[0]) + double(num[1]) * k + double(num[2]) * k * k) * norm);
        b[1] = float(2.0 * (double(num[0]) - double(num[2]) * k * k) * norm);
        b[2] = float((double(num[0]) - double(num[1]) * k + double(num[2]) * k * k) * norm);
        a[1] = float(2.0 * (double(den[0]) - double(den[2]) * k * k) * norm);
        a[2] = float((double(den[0]) - double(den[1]) * k + double(den[2]) * k * k) * norm);
    }

    void design()
    {
        if (type == 0) { // low-pass, gain = quality
            num[0] = 1, num[1] = 0, num[2] = 0, den[1] = 1 / gain;
        } else if (type == 2) { // resonator
            num[0] = 1, num[1] = gain / q, num[2] = 1, den[1] = 1 / q;
        } else if (type == 3) { // band-pass
            num[0] = 0, num[1] = gain / q, num[2] = 0, den[1] = 1 / q;
        }
        den[0] = 1, den[2] = 1;
        transform();
    }

    // Everything but the memory.
    void take_settings(const Section& o)
    {
        std::copy(o.b, o.b + 3, b), std::copy(o.a, o.a + 3, a);
        std::copy(o.num, o.num + 3, num), std::copy(o.den, o.den + 3, den);
        fs = o.fs, freq = o.freq, type = o.type, gain = o.gain, q = o.q;
    }

    void clear() { xm[0] = xm[1] = ym[0] = ym[1] = 0, t = 0; }

    float step(float x, bool guard)
    {
        const int o = 1 - t;
        const float y =
            guard ? b[0] * x + 1e-20f + b[1] * xm[t] + b[2] * xm[o] - (a[1] * ym[t] + a[2] * ym[o])
                  : b[0] * x + b[1] * xm[t] + b[2] * xm[o] - (a[1] * ym[t] + a[2] * ym[o]);
        xm[o] = x, ym[o] = y, t = o;
        return y;
    }

    // A block: a leading single step when the toggle is 1, then pairs (the
    // guard on the first of each pair when asked), then a trailing single.
    void block(float* out, const float* in, long n, bool mix, bool nd)
    {
        std::vector<float> y(std::size_t(std::max(n, 0L)));
        long i = 0;
        if (n > 0 && t == 1) {
            y[0] = step(in[0], false), i = 1;
        }
        for (; i + 1 < n; i += 2) {
            y[std::size_t(i)] = step(in[i], nd);
            y[std::size_t(i + 1)] = step(in[i + 1], false);
        }
        if (i < n) {
            y[std::size_t(i)] = step(in[i], false);
        }
        for (long j = 0; j < n; ++j) {
            out[j] = mix ? out[j] + y[std::size_t(j)] : y[std::size_t(j)];
        }
    }
};

// Linear glide over 0.1 s.
struct Glide
{
    float time = 0.1f, fs = 44100, start = 0, target = 0;
    double cur = 0, step = 0;

    void set(float v)
    {
        start = float(cur), target = v;
        step = (v - start) / (fs * time);
    }
    void tick(long n)
    {
        if (step == 0) {
            return;
        }
        cur += double(n) * step;
        if ((cur - target) * step >= 0) {
            cur = target, step = 0, start = target;
        }
    }
    void rest() { start = target, step = 0, cur = target; }
    void set_fs(float f)
    {
        const float ratio = fs / f;
        fs = f;
        step *= ratio;
    }
};

// The soft clip and its 64-segment table.
inline double curve(double x)
{
    return 0.6366197723675814 * std::atan(1.5707963267948966 * x);
}

struct Table
{
    float c[64][4];
    float lo, hi;

    Table()
    {
        double y[65], d[65];
        for (int j = 0; j <= 64; ++j) {
            const double x = j - 32;
            y[j] = curve(x), d[j] = (curve(x + 1.0 / 2048) - curve(x - 1.0 / 2048)) * 1024;
        }
        lo = float(y[0]), hi = float(y[64]);
        for (int s = 0; s < 64; ++s) {
            const double a = s - 32, y0 = y[s], d0 = d[s], d1 = d[s + 1], dy = y[s + 1] - y0;
            const double k3 = d0 + d1 - 2 * dy, k2 = 3 * dy - 2 * d0 - d1;
            c[s][0] = float(y0 - d0 * a + k2 * (a * a) - k3 * (a * a * a));
            c[s][1] = float(d0 - 2 * k2 * a + 3 * k3 * (a * a));
            c[s][2] = float(k2 - 3 * k3 * a);
            c[s][3] = float(k3);
        }
    }

    float operator()(float u) const
    {
        const float v = u + 33.0f;
        if (!(v >= 1.0f)) {
            return lo;
        }
        if (v >= 65.0f) {
            return hi;
        }
        const float* k = c[int(v) - 1];
        return ((u * k[3] + k[2]) * u + k[1]) * u + k[0];
    }
};

inline float exact_clip(float x, float gain)
{
    return float(0.6366197723675814 * std::atan(double(x) * gain * 1.5707963267948966));
}

// Halves upward; NaN gives 0, the rest saturates far beyond any band count.
inline int round_half_up(double x)
{
    return std::isnan(x) ? 0 : int(std::clamp(std::floor(x + 0.5), -1e9, 1e9));
}

// Natural parameter values, in index order.
struct Params
{
    double cutoff = 1000, reso = 1, nbr_band = 1, gain = 1, routing = 1, spacing = 2;
    double evolution = 0, tone = 0.5;
};

class Effect;

// The band road.
struct Tap
{
    Effect* owner = nullptr;
    const Params* p = nullptr;
    bool stereo = false;
    float fs = 44100;
    bool changed = false, layout_changed = false;
    Glide delay;
    double tone_old = -1, tone_cur = -1;
    float gain_cur = -1, gain_target = -1, gain_step = -1;
    int active = 1, first = 1, first_dec = 1;
    float fade[15] = {};
    long delays[15] = {};
    Section f[2][15];
    std::uint64_t noise = 0;
    std::vector<float> hist[2];
    float scratch[2][64] = {};

    void init()
    {
        delay.time = 0.1f;
        set_delays();
        for (auto& chn : f) {
            for (Section& s : chn) {
                s.type = 3, s.gain = 1, s.design();
            }
        }
    }

    void set_delays()
    {
        const double d = double(float(delay.cur)) * 0.001;
        for (int k = 0; k < 15; ++k) {
            delays[k] = d >= 0 ? round_half_up(k * d * fs) : round_half_up((15 - k) * -d * fs);
        }
    }

    void set_fs(float v)
    {
        fs = v, delay.set_fs(v);
        for (int k = 0; k < 15; ++k) {
            for (auto& chn : f) {
                chn[k].fs = v, chn[k].transform(), chn[k].design();
            }
        }
        layout_changed = true;
    }

    void set_active(int n)
    {
        for (int b = n; b < active; ++b) { // a band leaving without its fade
            fade[b] = 0, f[0][b].clear(), f[1][b].clear();
        }
        active = n, layout_changed = true;
    }

    void set_stereo(bool s)
    {
        stereo = s;
        if (s) {
            for (int k = 0; k < 15; ++k) {
                f[1][k].take_settings(f[0][k]), f[1][k].design();
            }
        }
    }

    static float band_gain(double t)
    {
        return float(std::sin(t * 1.5707963267948966) * 0.7071067811865476);
    }
    static double lpf_gain(double t)
    {
        return std::cos(t * 1.5707963267948966) * 0.7071067811865476;
    }

    inline void clear();
    inline void tick(long n);
    inline void process(float** out, const float* const* in, long n);
};

class Effect
{
public:
    Params p;
    bool stereo_in = true, stereo_out = true;
    const Table table;

    Effect()
    {
        tap.owner = this, tap.p = &p;
        lpf[0].type = lpf[1].type = 0;
        tap.init();
        set_default_state();
    }

    void changed() { param_changed = true; }
    void tap_changed() { tap.changed = true; }

    void set_default_state()
    {
        p = Params{};
        param_changed = true;
        tap.changed = true;
        clear_buffers();
    }

    void set_sample_freq(float fs)
    {
        sample_freq = fs;
        tap.set_fs(fs);
        for (Section& s : lpf) {
            s.fs = fs, s.freq = limit_cutoff(s.freq), s.transform();
        }
        for (Glide* g : {&cutoff, &reso, &spacing, &gain}) {
            g->set_fs(fs);
        }
    }

    void clear_buffers()
    {
        param_changed = false;
        cutoff.set(float(p.cutoff)), cutoff.rest();
        reso.set(float(p.reso)), reso.rest();
        spacing.set(float(p.spacing)), spacing.rest();
        gain.set(float(p.gain)), gain.rest();
        update_lpf();
        lpf[0].clear(), lpf[1].clear();
        band_layout(false);
        nbr_cur = nbr_old = round_half_up(p.nbr_band);
        band_layout(true);
        tap.clear();
    }

    void process(float** out, const float* const* in, long n, bool mix)
    {
        if (n <= 0) {
            return;
        }
        const dsp::DenormalFlushScope flush_denormals;
        stereo_flags();
        for (long pos = 0; pos < n; pos += 64) {
            const long len = std::min(n - pos, 64L);
            tick_cnt += int(len);
            if (tick_cnt > 63) {
                tick();
                tick_cnt -= 64;
            }
            float* o[2] = {out[0] + pos, out[1] + pos};
            const float* i[2] = {in[0] + pos, in[1] + pos};
            chunk(o, i, len, mix);
        }
    }

    double lpf_cur = 0.5, lpf_wanted = 0.5, lpf_step = 0;
    Tap tap;
    int ticks = 0;

private:
    float limit_cutoff(float f) const { return f > 0.475f * lpf[0].fs ? 0.475f * lpf[0].fs : f; }

    void stereo_flags() { tap.set_stereo(stereo_out); }

    void update_lpf()
    {
        lpf[0].freq = limit_cutoff(float(cutoff.cur));
        lpf[0].gain = float(reso.cur);
        lpf[0].design();
        lpf[1].take_settings(lpf[0]);
    }

    void band_layout(bool fixed)
    {
        const int wanted = std::clamp(round_half_up(p.nbr_band) - 1, 0, 15);
        const float f1 = float(cutoff.cur) * float(spacing.cur);
        const double lim_d = std::floor((double(sample_freq) * 0.475) / f1);
        const int limit = std::isfinite(lim_d) ? int(std::clamp(lim_d, 0.0, 15.0)) : 0;
        int n;
        if (fixed) {
            n = std::min(wanted, limit);
            tap.set_active(n), tap.first = n, tap.first_dec = n;
        } else {
            n = std::min(std::max(tap.active, wanted), limit);
            const int first = std::min({tap.first, wanted, limit});
            tap.set_active(n), tap.first = first, tap.first_dec = std::min(wanted, limit);
        }
        for (int k = 0; k < n; ++k) {
            tap.f[0][k].freq = float(k + 1) * f1, tap.f[0][k].q = float(k + 1);
            tap.layout_changed = true;
        }
    }

    void tick()
    {
        ++ticks;
        stereo_flags();
        if (param_changed) {
            cutoff.set(float(p.cutoff)), reso.set(float(p.reso));
            spacing.set(float(p.spacing)), gain.set(float(p.gain));
            param_changed = false;
        }
        gain.tick(64);
        nbr_old = nbr_cur, nbr_cur = round_half_up(p.nbr_band);
        const bool cut_moving = cutoff.step != 0;
        if (cut_moving || reso.step != 0) {
            cutoff.tick(64), reso.tick(64), update_lpf();
        }
        if (spacing.step != 0 || cut_moving || nbr_cur != nbr_old) {
            spacing.tick(64), band_layout(false);
        }
        tap.tick(64);
        if ((lpf_wanted - lpf_cur) * lpf_step < 0) {
            lpf_cur = lpf_wanted, lpf_step = 0;
        }
    }

    // Low-pass balance into dst (channels c < nc): add, or replace while no
    // band is active.
    void balance(float* const* dst, int nc, long n)
    {
        const bool add = tap.active > 0;
        const bool ramp = lpf_cur != lpf_wanted;
        double cur = lpf_cur;
        for (long i = 0; i < n; ++i) {
            const float g = float(cur);
            for (int c = 0; c < nc; ++c) {
                dst[c][i] = add ? dst[c][i] + g * lp[c][i] : g * lp[c][i];
            }
            if (ramp) {
                cur += lpf_step;
            }
        }
        lpf_cur = cur;
    }

    void chunk(float** out, const float* const* in, long n, bool mix)
    {
        const bool post = p.routing >= 0.5;
        const float g = float(gain.cur);
        // One channel when the input or the output is mono; a stereo input
        // into a mono output is its mean.
        const bool mono_path = !stereo_in || !stereo_out;
        const int nc = mono_path ? 1 : 2;
        const float* src[2] = {in[0], in[1]};
        if (stereo_in && !stereo_out) {
            for (long i = 0; i < n; ++i) {
                mono[i] = (in[0][i] + in[1][i]) * 0.5f;
            }
            src[0] = mono;
        }
        float* bp[2] = {band[0], band[1]};
        // Where the road's result lands: straight in out for the replacing Pre roads.
        float** res = !mix && !post ? out : bp;
        if (!post) {
            for (int c = 0; c < nc; ++c) {
                lpf[c].block(lp[c], src[c], n, false, true);
                for (long i = 0; i < n; ++i) {
                    lp[c][i] = mono_path ? table(g * lp[c][i]) : exact_clip(lp[c][i], g);
                }
            }
            tap.process(res, src, n);
            balance(res, nc, n);
        } else {
            tap.process(bp, src, n);
            for (int c = 0; c < nc; ++c) {
                lpf[c].block(lp[c], src[c], n, false, true);
            }
            balance(bp, nc, n);
            for (int c = 0; c < nc; ++c) {
                for (long i = 0; i < n; ++i) {
                    bp[c][i] = mono_path && !mix ? table(g * bp[c][i]) : exact_clip(bp[c][i], g);
                }
            }
        }
        // A mono road feeds both channels of a stereo output.
        for (int c = 0; c < (stereo_out ? 2 : 1); ++c) {
            const float* r = res[mono_path ? 0 : c];
            for (long i = 0; i < n; ++i) {
                out[c][i] = mix ? out[c][i] + r[i] : r[i];
            }
        }
    }

    float sample_freq = 0;
    bool param_changed = true;
    Glide cutoff, reso, spacing, gain;
    int nbr_old = 1, nbr_cur = 1;
    int tick_cnt = 0;
    Section lpf[2];
    float lp[2][64] = {}, band[2][64] = {}, mono[64] = {};

    friend struct Tap;
};

inline void Tap::clear()
{
    delay.set(float(p->evolution)), delay.rest(), set_delays();
    tone_old = tone_cur = p->tone;
    gain_target = gain_cur = band_gain(p->tone), gain_step = 0;
    owner->lpf_wanted = lpf_gain(p->tone);
    owner->lpf_cur = owner->lpf_wanted, owner->lpf_step = 0;
    first = first_dec = active;
    for (int b = 0; b < 15; ++b) {
        fade[b] = b < active ? 1.0f : 0.0f;
    }
    for (int b = 0; b < 15; ++b) {
        for (auto& chn : f) {
            chn[b].clear(), chn[b].design();
        }
    }
    hist[0].clear(), hist[1].clear();
}

inline void Tap::tick(long n)
{
    tone_old = tone_cur;
    if (changed) {
        delay.set(float(p->evolution));
        tone_cur = p->tone;
        if (tone_cur != tone_old) {
            gain_target = band_gain(tone_cur);
            owner->lpf_wanted = lpf_gain(tone_cur);
            owner->lpf_step = (owner->lpf_wanted - owner->lpf_cur) * 0.0015625;
            gain_step = (gain_target - gain_cur) * 0.0015625f;
        }
        changed = false;
    }
    if (layout_changed) {
        for (int b = 0; b < active; ++b) {
            f[0][b].design();
            if (stereo) {
                f[1][b].take_settings(f[0][b]);
            }
        }
        layout_changed = false;
    }
    if (delay.step != 0) {
        delay.tick(n), set_delays();
    }
    for (int b = first; b < first_dec; ++b) {
        if (fade[b] > 0.999f) {
            fade[b] = 1, ++first;
        }
    }
    for (int b = active - 1; b >= first_dec; --b) {
        if (fade[b] < 0.001f) {
            fade[b] = 0, --active, f[0][b].clear(), f[1][b].clear();
        }
    }
    if ((gain_target - gain_cur) * gain_step < 0) {
        gain_cur = gain_target, gain_step = 0;
    }
}

inline void Tap::process(float** out, const float* const* in, long n)
{
    const int nc = stereo ? 2 : 1;
    const long t0 = long(hist[0].size());
    for (long i = 0; i < n; ++i) {
        noise = (noise * 1103515245 + 12345) & 0x7FFFFFFF;
        const float d = (noise & 0x10000) != 0 ? 1e-20f : -1e-20f;
        hist[0].push_back(in[0][i] + d);
        hist[1].push_back(stereo ? in[1][i] + d : 0.0f);
    }
    if (gain_step == 0 && (active == 0 || std::fabs(gain_cur) < 1e-9)) {
        for (int c = 0; c < nc; ++c) {
            std::fill(out[c], out[c] + n, 0.0f);
        }
        return;
    }
    for (int b = 0; b < active; ++b) {
        for (int c = 0; c < nc; ++c) {
            float x[64];
            for (long i = 0; i < n; ++i) {
                const long at = t0 - delays[b] + i;
                x[i] = at >= 0 ? hist[c][std::size_t(at)] : 0.0f;
            }
            if (b < first) {
                f[c][b].block(out[c], x, n, b != 0, false);
            } else {
                f[c][b].block(scratch[c], x, n, false, false);
            }
        }
        if (b >= first) {
            const float s = b < first_dec ? 0.0015625f : -0.0015625f;
            float g = fade[b];
            for (long i = 0; i < n; ++i) {
                for (int c = 0; c < nc; ++c) {
                    out[c][i] = b == 0 ? g * scratch[c][i] : out[c][i] + g * scratch[c][i];
                }
                g += s;
            }
            fade[b] = g;
        }
    }
    const bool ramp = gain_cur != gain_target;
    for (long i = 0; i < n; ++i) {
        for (int c = 0; c < nc; ++c) {
            out[c][i] *= gain_cur;
        }
        if (ramp) {
            gain_cur += gain_step;
        }
    }
}

} // namespace model
