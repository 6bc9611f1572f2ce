#include "platform/common/pace_figures.h"

#include <algorithm>
#include <vector>

namespace carpex {

void WritePaceFigures(std::FILE* Out, const char* Name, const float* Ms, int Count) {
  std::vector<float> sorted(Ms, Ms + Count);
  std::sort(sorted.begin(), sorted.end());
  auto at = [&](double Q) {
    return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(Q * (sorted.size() - 1) + 0.5)];
  };
  std::fprintf(Out, "%s_median %.3f\n%s_p99 %.3f\n%s_max %.3f\n", Name, at(0.5), Name, at(0.99),
               Name, at(1.0));
}

}  // namespace carpex
