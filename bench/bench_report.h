// What every benchmark prints: figures, medians and ratios in one format, so
// that tools/bench can gather the result lines of all of them into one table.
//
//   result | <benchmark> | <ours> | <baseline> | <ratio> | <target> | met/missed
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double Fastest(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// A time in the unit that reads best: seconds, milliseconds or microseconds.
inline std::string Time(double seconds) {
  char text[32];
  if (seconds >= 1) {
    std::snprintf(text, sizeof text, "%.3f s", seconds);
  } else if (seconds >= 0.001) {
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
  }
  return text;
}

// One line of a benchmark's own table of samples.
inline void Sample(const char* what, int round, double seconds) {
  std::printf("  %-34s round %2d  %s\n", what, round, Time(seconds).c_str());
  std::fflush(stdout);
}

// The result line of one comparison; a target of 0 means "no target, a figure".
inline void Result(const std::string& benchmark, const std::vector<double>& ours,
                   const std::vector<double>& baseline, double target,
                   const char* targetText = nullptr) {
  const double oursMedian = Median(ours);
  const double baselineMedian = Median(baseline);
  const double ratio = baselineMedian > 0 ? oursMedian / baselineMedian : 0;
  char targetColumn[32] = "-";
  const char* verdict = "-";
  if (targetText) {
    std::snprintf(targetColumn, sizeof targetColumn, "%s", targetText);
    verdict = ratio <= target ? "met" : "missed";
  } else if (target > 0) {
    std::snprintf(targetColumn, sizeof targetColumn, "<= %.2f", target);
    verdict = ratio <= target ? "met" : "missed";
  }
  std::printf("result | %-44s | %10s | %10s | %6.3f | %-10s | %s\n", benchmark.c_str(),
              Time(oursMedian).c_str(), Time(baselineMedian).c_str(), ratio, targetColumn, verdict);
  std::printf("         (%zu and %zu runs; fastest %s and %s, ratio %.3f)\n", ours.size(),
              baseline.size(), Time(Fastest(ours)).c_str(), Time(Fastest(baseline)).c_str(),
              Fastest(baseline) > 0 ? Fastest(ours) / Fastest(baseline) : 0);
  std::fflush(stdout);
}

// A figure without a competitor (a phase, a size).
inline void Figure(const std::string& what, const std::vector<double>& samples) {
  std::printf("figure | %-44s | %10s | (%zu runs, fastest %s)\n", what.c_str(),
              Time(Median(samples)).c_str(), samples.size(), Time(Fastest(samples)).c_str());
  std::fflush(stdout);
}

}  // namespace bench
