#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/BenchProbe.h"

namespace vellomar {

// One line of the result table: the engine's median run beside its baseline's.
struct BenchRow {
  std::string name;
  Sample engine;
  std::string baseline;  // what the baseline is, as the table shows it
  Sample baselineSample;
  double target = 0;  // the highest ratio engine / baseline aimed at; 0 for none
  bool filesPerSecond = false;
};

void printTable(std::ostream& out, const std::vector<BenchRow>& rows);

std::string formatBytes(uint64_t bytes);

}  // namespace vellomar
