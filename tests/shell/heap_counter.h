// Counts every heap allocation and release of the test executable.
//
// An ordinary build replaces the global operator new and delete (every form)
// and the malloc family (malloc, calloc, realloc, free, aligned_alloc,
// posix_memalign, memalign), all served by the C library's own allocator.
// Under AddressSanitizer the sanitizer owns malloc and new; there the count
// comes from its allocation hooks instead, which see the same calls.
#pragma once

#include <cstdint>

namespace carpex::alloc_test {

struct HeapCount {
  uint64_t Allocations = 0;
  uint64_t Releases = 0;
};

// The totals since the program started.
HeapCount HeapNow();

// Which way the counting is done, for the test's messages.
const char* CountingMethod();

}  // namespace carpex::alloc_test
