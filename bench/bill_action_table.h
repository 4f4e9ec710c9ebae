// The bill actions benchmarks' one table: every run collected as it is reported and
// printed at the end, bill by bill, each action beside its hand-written side (a run
// named ".../by-hand") and their ratio. The file's table is in CPU time; the server's
// in wall time first (the work is in the server's process), with the client's CPU.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace bill_bench {

class TableReporter : public benchmark::ConsoleReporter {
 public:
  static constexpr std::string_view kByHand = "/by-hand";

  //! Runs named `prefix` + "bill/action"; `wall` prints wall time as the measure.
  TableReporter(std::string prefix, int lines, int runs, bool wall)
      : prefix_(std::move(prefix)), lines_(lines), runs_(runs), wall_(wall) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name().substr(prefix_.size());
      name = name.substr(0, name.find("/iterations"));
      Row row{name, "", 0, 0, 0};
      if (run.error_occurred) {
        row.note = run.error_message.substr(0, run.error_message.find('\n', 10));
      } else {
        row.cpu = counter(run, "median_ms", run.GetAdjustedCPUTime());
        row.wall = counter(run, "median_wall_ms", run.GetAdjustedRealTime());
        row.statements = static_cast<int>(counter(run, "statements", 0));
      }
      rows_.push_back(std::move(row));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::map<std::string, double> byHand;
    for (const Row& r : rows_)
      if (r.note.empty() && r.name.ends_with(kByHand))
        byHand[r.name.substr(0, r.name.size() - kByHand.size())] = measured(r);
    std::printf("\n%-5s %-8s %10s%s %10s %10s %7s  (bills of %d lines; %s, median of %d runs)\n",
                "bill", "action", wall_ ? "ms wall" : "ms CPU", cpuColumn("ms CPU").c_str(),
                "statements", wall_ ? "libpq" : "by hand", "ratio", lines_,
                wall_ ? "wall and client CPU ms" : "CPU ms", runs_);
    for (const Row& r : rows_) {
      if (r.name.ends_with(kByHand)) continue;
      const std::string bill = r.name.substr(0, r.name.find('/'));
      const std::string action = r.name.substr(r.name.find('/') + 1);
      if (!r.note.empty()) {
        std::printf("%-5s %-8s %10s%s %10s  %s\n", bill.c_str(), action.c_str(), "-",
                    cpuColumn("").c_str(), "-", r.note.substr(0, 100).c_str());
        continue;
      }
      const std::string cpu = cpuColumn(format(r.cpu));
      auto hand = byHand.find(r.name);
      if (hand == byHand.end())
        std::printf("%-5s %-8s %10.2f%s %10d\n", bill.c_str(), action.c_str(), measured(r),
                    cpu.c_str(), r.statements);
      else
        std::printf("%-5s %-8s %10.2f%s %10d %10.2f %7.1f\n", bill.c_str(), action.c_str(),
                    measured(r), cpu.c_str(), r.statements, hand->second,
                    measured(r) / hand->second);
    }
  }

 private:
  struct Row {
    std::string name, note;
    double cpu, wall;
    int statements;
  };
  static double counter(const Run& run, const char* name, double otherwise) {
    auto found = run.counters.find(name);
    return found == run.counters.end() ? otherwise : found->second.value;
  }
  static std::string format(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ms);
    return text;
  }
  double measured(const Row& r) const { return wall_ ? r.wall : r.cpu; }
  //! The client's CPU column, printed beside wall time only.
  std::string cpuColumn(const std::string& text) const {
    if (!wall_) return "";
    char column[32];
    std::snprintf(column, sizeof column, " %10s", text.c_str());
    return column;
  }

  std::string prefix_;
  int lines_, runs_;
  bool wall_;
  std::vector<Row> rows_;
};

}  // namespace bill_bench
