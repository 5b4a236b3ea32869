#pragma once

#include "lib/basic/ConfKeyStreamInterface.h"

#include <memory>

namespace basic {

// Any thread, one tree per thread at a time; may allocate.
// Content of a leaf key: a text or a brace list of contents.
class ConfKeyContentInterface : public ConfKeyStreamInterface
{
public:
    ~ConfKeyContentInterface() override = default;

    // A deep copy owned by the caller.
    [[nodiscard]] std::unique_ptr<ConfKeyContentInterface> clone() const { return do_clone(); }

protected:
    ConfKeyContentInterface() = default;
    ConfKeyContentInterface(const ConfKeyContentInterface&) = default;
    ConfKeyContentInterface& operator=(const ConfKeyContentInterface&) = default;

private:
    [[nodiscard]] virtual std::unique_ptr<ConfKeyContentInterface> do_clone() const = 0;
};

} // namespace basic
