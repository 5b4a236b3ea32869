#pragma once

#include "lib/tnw/txt/out/ArgBase.h"

namespace tnw::txt::out {

// Renders a zero-terminated text: cut to the maximum length (a right-justified
// text keeps its end, a centred one its middle), filled, letter case applied.
// Any thread; allocates nothing.
class ArgString : public ArgBase
{
public:
    using ArgBase::ArgBase;

    void print(const char* const& txt_0);
};

} // namespace tnw::txt::out
