// Committed memory, the clock and medians for the soak and the random driver.
#include "host/Measure.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>

namespace nphost {

std::size_t CommittedBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    return 0;
  return counters.PagefileUsage;
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

double Median(const std::vector<double> &values, std::size_t begin,
              std::size_t end) {
  end = std::min(end, values.size());
  if (begin >= end)
    return 0;
  std::vector<double> part(values.begin() + static_cast<std::ptrdiff_t>(begin),
                           values.begin() + static_cast<std::ptrdiff_t>(end));
  const std::size_t middle = part.size() / 2;
  std::nth_element(part.begin(), part.begin() + middle, part.end());
  const double upper = part[middle];
  if (part.size() % 2 == 1)
    return upper;
  const double lower = *std::max_element(part.begin(), part.begin() + middle);
  return (lower + upper) / 2;
}

} // namespace nphost
