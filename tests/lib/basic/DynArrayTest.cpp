#include "lib/basic/DynArray.h"

#include <type_traits>

namespace {

// A copy would share the element array and free it twice.
static_assert(!std::is_copy_constructible_v<basic::DynArray<int>>);
static_assert(!std::is_copy_assignable_v<basic::DynArray<int>>);

} // namespace
