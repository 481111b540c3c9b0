#include "report.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace marvek::bench {
namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string DescribeMachine() {
  std::string model = "unknown processor";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  utsname system{};
  ::uname(&system);
  return model + ", " + std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " cores, Linux " +
         system.release;
}

void PrintTable(const std::vector<Row>& rows, const std::string& machine) {
  std::printf("Machine: %s\n\n", machine.c_str());
  std::printf("%-44s %12s %-5s %12s  %-6s %s\n", "Measure", "Value", "", "Target", "", "How");
  for (const Row& row : rows) {
    char target[32] = "-";
    if (row.HasTarget()) {
      std::snprintf(target, sizeof target, "%s %.6g", row.lowerIsBetter ? "<=" : ">=", row.limit);
    }
    std::printf("%-44s %12.6g %-5s %12s  %-6s %s\n", row.name.c_str(), row.value, row.unit.c_str(),
                target, row.HasTarget() ? (row.Met() ? "met" : "MISSED") : "", row.detail.c_str());
  }
}

void PrintJson(const std::vector<Row>& rows, const std::string& machine) {
  std::printf("{\n  \"machine\": %s,\n  \"rows\": [\n", JsonString(machine).c_str());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    std::printf("    {\"name\": %s, \"value\": %.6g, \"unit\": %s", JsonString(row.name).c_str(),
                row.value, JsonString(row.unit).c_str());
    if (row.HasTarget()) {
      std::printf(", \"target\": %.6g, \"lower_is_better\": %s, \"met\": %s", row.limit,
                  row.lowerIsBetter ? "true" : "false", row.Met() ? "true" : "false");
    }
    std::printf(", \"how\": %s}%s\n", JsonString(row.detail).c_str(),
                i + 1 < rows.size() ? "," : "");
  }
  std::printf("  ]\n}\n");
}

}  // namespace marvek::bench
