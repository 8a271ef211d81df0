#include "Samples.h"

#include <algorithm>
#include <cmath>

double Samples::Median() const {
  if (values_.empty()) return 0;
  std::vector<double> sorted(values_);
  std::sort(sorted.begin(), sorted.end());
  size_t middle = sorted.size() / 2;
  return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Samples::Percentile(double percent) const {
  if (values_.empty()) return 0;
  std::vector<double> sorted(values_);
  std::sort(sorted.begin(), sorted.end());
  size_t rank = static_cast<size_t>(std::ceil(percent / 100.0 * sorted.size()));
  return sorted[rank == 0 ? 0 : std::min(rank, sorted.size()) - 1];
}
