#pragma once

#include <atomic>
#include <string>

namespace mppi {

// A named end of a modulation link. Every object gets the next id of a
// process-wide counter when it is built (the first object gets 1).
//
// Main thread only; may allocate.
class ModBase
{
public:
    ModBase();
    explicit ModBase(const std::string& name);
    ModBase(const ModBase&) = delete;
    ModBase& operator=(const ModBase&) = delete;
    virtual ~ModBase();

    [[nodiscard]] const std::string& get_name() const noexcept { return _name; }
    void set_name(const std::string& name) { _name = name; }
    [[nodiscard]] int get_id() const noexcept { return _id; }

    // Any thread; no lock. Advances the counter and answers its new value.
    [[nodiscard]] static int generate_id() noexcept;

private:
    // Objects may be built on any thread; relaxed order suffices because
    // an id only has to be unique, not ordered with other memory.
    static std::atomic<int> _next_id;

    std::string _name;
    int _id;
};

} // namespace mppi
