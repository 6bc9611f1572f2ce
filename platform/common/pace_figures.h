// The pace probes' figures (the SDL game's and the Windows game's, for
// scripts/pace.sh): a series of frame times as its median, 99th percentile
// and maximum, one "NAME_median MS" line each.
#pragma once

#include <cstdio>

namespace carpex {

void WritePaceFigures(std::FILE* Out, const char* Name, const float* Ms, int Count);

}  // namespace carpex
