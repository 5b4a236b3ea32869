#pragma once

#include "lib/mppi/NotifierInterface.h"

#include <atomic>

namespace mppi {

// One parameter of the effect, carried as a normalised value (0..1) by host,
// programs, banks, MIDI mapping and controls, and as a natural value (in the
// parameter's own unit) by the signal path. A subclass fixes the name, unit,
// mapping, printing and parsing.
//
// Lifecycle: constructed with natural 0, normalised 0, level -1 and no
// listener; the owner then calls `init` with the default natural value, links
// itself with `set_notified` and registers the parameter, all before block
// processing starts. From then on the main thread (and, for learned MIDI
// controllers, the audio thread) writes values through the setters while the
// audio thread reads the natural value.
class NormalizedParamInterface : public NotifierInterface
{
public:
    NormalizedParamInterface() = default;
    ~NormalizedParamInterface() override;

    // Main thread only, before the parameter is shared: sets the natural value,
    // the normalised and initial normalised value from `normalize_val`, the
    // automation level and a zero modulation amount. Does not notify.
    virtual void init(double natural, int level);

    // Any thread: the name and unit, at most `max` bytes with the terminator.
    virtual void get_name(char* text, long max) const noexcept = 0;
    virtual void get_unit(char* text, long max) const noexcept = 0;

    // Any thread: 0 for a continuous parameter, 1 for one moving in whole steps.
    [[nodiscard]] virtual int get_range_type() const noexcept;
    [[nodiscard]] virtual bool is_morphable() const noexcept;

    // Thread of the setter; no lock, no allocation. Reacts to a new value;
    // does nothing by default.
    virtual void do_set_val() noexcept;

    // Audio thread; no lock, no allocation. The natural value and the
    // modulation amount.
    [[nodiscard]] virtual double do_get_mod_val(int index) const noexcept;
    [[nodiscard]] virtual float do_get_mod(int index) const noexcept;

    // Any thread; pure computations. The mappings do not clamp: values outside
    // the natural range map outside 0..1 and back.
    [[nodiscard]] virtual double denormalize_val(float norm) const noexcept = 0;
    [[nodiscard]] virtual float normalize_val(double natural) const noexcept = 0;

    // Any thread: the display text of a natural value, at most `max` bytes with
    // the terminator.
    virtual void do_print_val(char* text, long max, double natural) const noexcept = 0;

    // Any thread: a display text back to a natural value. Sets `ok` to true when
    // the text is accepted and otherwise leaves it untouched (the result then
    // has no meaning).
    [[nodiscard]] virtual double do_scan_val(const char* text, bool& ok) const noexcept = 0;

    // Main or audio thread; no lock, no allocation. Stores `norm` clamped to
    // 0..1 and its natural value, calls `do_set_val`, then notifies the
    // listener, also when the value did not change. A NaN is ignored: it comes
    // from a damaged bank, chunk or host and leaves the parameter as it was.
    void set_nrm_val(float norm) noexcept;

    // Main or audio thread; no lock, no allocation. Stores `natural` and its
    // normalised value, calls `do_set_val`, then notifies the listener, also
    // when the value did not change.
    void set_nat_val(double natural) noexcept;

    // Any thread; no lock.
    [[nodiscard]] float get_nrm_val() const noexcept;
    [[nodiscard]] double get_nat_val() const noexcept;

    // Main thread only.
    [[nodiscard]] int get_automation_level() const noexcept { return _automation_level; }
    [[nodiscard]] float get_init_nrm_val() const noexcept { return _init_nrm_val; }

    // Any thread: print and scan through `do_print_val` and `do_scan_val`.
    void print_val(char* text, long max, double natural) const noexcept;
    [[nodiscard]] double scan_val(const char* text, bool& ok) const noexcept;

protected:
    // Main or audio thread (whichever drives the modulation); no lock, no
    // allocation. The amount that `do_get_mod` answers by default.
    void set_mod_amount(float amount) noexcept
    {
        _mod_amount.store(amount, std::memory_order_relaxed);
    }

private:
    void store(double natural, float norm) noexcept;

    // Written by the main thread (and by the audio thread for learned MIDI
    // controllers) while the audio thread reads them. Relaxed order suffices:
    // each value is a self-contained scalar that publishes no other memory, so
    // a reader only needs a whole value and, per variable, never an older one
    // than it saw before. The owner learns of a change through `notify`; the
    // owner's own flag orders its later read after these stores.
    std::atomic<double> _nat_val{0.0};
    std::atomic<float> _nrm_val{0.0f};

    // Written by a modulation source on the main or audio thread, read on the
    // audio thread; relaxed for the same reason as the values above.
    std::atomic<float> _mod_amount{0.0f};

    // Set by `init` before the parameter is shared; read-only afterwards.
    int _automation_level = -1;
    float _init_nrm_val = 0.0f;
};

} // namespace mppi
