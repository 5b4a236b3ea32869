#pragma once

namespace test_support {

// True in a build under AddressSanitizer or ThreadSanitizer, whose runs take many times
// longer. A long check of many random cases on one thread takes a sample of them there;
// the plain build runs them all.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool UNDER_SANITIZER = true;
#else
constexpr bool UNDER_SANITIZER = false;
#endif

} // namespace test_support
