// libFuzzer's entry for one target; CARPEX_FUZZ_ENTRY names its function.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (const char* problem = carpex::fuzz::CARPEX_FUZZ_ENTRY(Data, Size)) {
    std::fprintf(stderr, "carpex fuzz: %s\n", problem);
    std::abort();
  }
  return 0;
}
