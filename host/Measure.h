// What the long runs of the test browser measure: the process's committed
// memory, a monotonic clock, and the median of a series of call times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nphost {

// GetProcessMemoryInfo's PagefileUsage: the commit charge, which Wine fills
// (it leaves PrivateUsage at 0). 0 when it cannot be read.
std::size_t CommittedBytes();

// Seconds on the performance counter.
double Now();

// The median of values[begin, end); 0 for an empty range.
double Median(const std::vector<double> &values, std::size_t begin,
              std::size_t end);

} // namespace nphost
