#pragma once

#include <cstddef>
#include <vector>

// Repeated measurements of one quantity.
class Samples {
 public:
  void Add(double value) { values_.push_back(value); }
  size_t Count() const { return values_.size(); }
  // The values in the order they were added.
  double At(size_t index) const { return values_[index]; }
  double Min() const { return Percentile(0); }
  double Median() const;
  double Max() const { return Percentile(100); }
  // Nearest-rank percentile; 0 when there are no values.
  double Percentile(double percent) const;

 private:
  std::vector<double> values_;
};
