#include "bench/report.h"

#include <cmath>
#include <cstdio>

namespace bench {

namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Significant(double value) {
    double magnitude = std::fabs(value);
    int decimals = magnitude < 1 ? 3 : magnitude < 10 ? 2 : magnitude < 100 ? 1 : 0;
    return Fixed(value, decimals);
}

std::string Count(double n) {
    std::string digits = Fixed(n, 0);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

std::string MetText(bool met) { return met ? "yes" : "no"; }

Row TimedRow(const std::string& measurement, const Summary& time) {
    Row row;
    row.measurement = measurement;
    row.runs = std::to_string(time.runs);
    row.median = Milliseconds(time.median);
    row.range = Range(time);
    return row;
}

} // namespace

std::string Milliseconds(double ms) { return Significant(ms) + " ms"; }

std::string Range(const Summary& summary) {
    return Significant(summary.min) + "-" + Significant(summary.max);
}

Row ComparisonRow(const std::string& measurement, const Paired& times, double goal) {
    Row row = TimedRow(measurement, times.viewer);
    row.against = "bare calls " + Milliseconds(times.bare.median) + " (" + Range(times.bare) + ")";
    double ratio = times.viewer.median / times.bare.median;
    row.result = "ratio " + Fixed(ratio, 2);
    row.goal = "ratio <= " + Fixed(goal, 2);
    row.met = MetText(ratio <= goal);
    return row;
}

Row ScaleRow(const std::string& measurement, const ScalePoint& point, const ScalePoint* previous,
             double goalPerTenfold) {
    Row row = TimedRow(measurement + " " + Count(point.n), point.time);
    if (previous == nullptr) {
        return row;
    }
    double growth =
        GrowthPerTenfold(previous->n, previous->time.median, point.n, point.time.median);
    row.against = "from " + Count(previous->n) + ": x" +
                  Significant(point.time.median / previous->time.median);
    row.result = "x" + Significant(growth) + " per tenfold";
    row.goal = "<= x" + Significant(goalPerTenfold) + " per tenfold";
    row.met = MetText(growth <= goalPerTenfold);
    return row;
}

Row TimeRow(const std::string& measurement, const Summary& time, double goalMs) {
    Row row = TimedRow(measurement, time);
    row.goal = "< " + Milliseconds(goalMs);
    row.met = MetText(time.median < goalMs);
    return row;
}

Row SizeRow(const std::string& measurement, uint64_t bytes, uint64_t goalBytes) {
    Row row;
    row.measurement = measurement;
    row.runs = "1";
    row.median = Count(static_cast<double>(bytes)) + " bytes";
    row.goal = "< " + Count(static_cast<double>(goalBytes)) + " bytes";
    row.met = MetText(bytes < goalBytes);
    return row;
}

Row InfoRow(const std::string& measurement, const Summary& time, const std::string& note) {
    Row row = TimedRow(measurement, time);
    row.against = note;
    return row;
}

namespace {

std::string MarkdownLine(const Row& row) {
    std::string text;
    for (const std::string* cell : {&row.measurement, &row.runs, &row.median, &row.range,
                                    &row.against, &row.result, &row.goal, &row.met}) {
        text += "| " + *cell + " ";
    }
    return text + "|\n";
}

} // namespace

void Table::Add(Row row) {
    if (echo_) {
        std::fprintf(stderr, "%s", MarkdownLine(row).c_str());
    }
    rows_.push_back(std::move(row));
}

std::string Table::Markdown() const {
    std::string text = "| Measurement | Runs | Median | Min-max (ms) | Against | Result | Goal | "
                       "Met |\n|---|---:|---:|---:|---|---|---|---|\n";
    for (const Row& row : rows_) {
        text += MarkdownLine(row);
    }
    return text;
}

int Table::MissedGoals() const {
    int missed = 0;
    for (const Row& row : rows_) {
        missed += row.met == "no" ? 1 : 0;
    }
    return missed;
}

} // namespace bench
