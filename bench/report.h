#pragma once
// The one table the benchmark prints: a Markdown table, one row per measurement.

#include "bench/timing.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct Row {
    std::string measurement;
    std::string runs;
    std::string median;
    std::string range;   // min-max
    std::string against; // what it is compared with
    std::string result;  // ratio or growth
    std::string goal;
    std::string met; // "yes", "no", or empty where there is no goal
};

// "0.412 ms", "4.12 ms", "41.2 ms", "412 ms": three significant digits.
std::string Milliseconds(double ms);
std::string Range(const Summary& summary);

// The viewer's median over the bare calls' median; met when at most `goal`.
Row ComparisonRow(const std::string& measurement, const Paired& times, double goal);

// One size of a series; `previous` is the row before it in the series, if any.
struct ScalePoint {
    double n = 0;
    Summary time;
};
Row ScaleRow(const std::string& measurement, const ScalePoint& point, const ScalePoint* previous,
             double goalPerTenfold);

// A plain time against an upper bound.
Row TimeRow(const std::string& measurement, const Summary& time, double goalMs);
Row SizeRow(const std::string& measurement, uint64_t bytes, uint64_t goalBytes);
// A time with no goal of its own: background for another row.
Row InfoRow(const std::string& measurement, const Summary& time, const std::string& note);

class Table {
public:
    // An echoing table also writes each row to standard error as it comes.
    explicit Table(bool echo = false) : echo_(echo) {}
    void Add(Row row);
    std::string Markdown() const;
    int MissedGoals() const;

private:
    bool echo_;
    std::vector<Row> rows_;
};

} // namespace bench
