// The server's metrics: counters, gauges and histograms with fixed buckets, in families by name,
// rendered in Prometheus's text format 0.0.4. They are written and rendered on the game thread
// only, so nothing here takes a lock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace metrics {

// A series' labels, as name and value, in the order they are rendered.
using Labels = std::vector<std::pair<std::string, std::string>>;

// A value that only goes up, such as requests answered.
class Counter {
public:
    void Add(double amount = 1) { m_value += amount; }
    double Value() const { return m_value; }

private:
    double m_value = 0;
};

// A value that goes up and down, such as connections open.
class Gauge {
public:
    void Set(double value) { m_value = value; }
    double Value() const { return m_value; }

private:
    double m_value = 0;
};

// Observations counted in buckets of fixed upper bounds, with their sum and count.
class Histogram {
public:
    // `bounds` rise strictly; the bucket of +Inf follows them.
    explicit Histogram(std::vector<double> bounds);
    void Observe(double value);

    const std::vector<double>& Bounds() const { return m_bounds; }
    // Observations at most each bound (not cumulative), then those above the last.
    const std::vector<std::uint64_t>& Counts() const { return m_counts; }
    double Sum() const { return m_sum; }

private:
    std::vector<double> m_bounds;
    std::vector<std::uint64_t> m_counts;
    double m_sum = 0;
};

class Registry {
public:
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The series of a family with these labels, made on first use; the reference stays valid as
    // long as the registry. A name is of one type: asking for it as another throws.
    Counter& CounterOf(const std::string& name, const std::string& help, const Labels& labels = {});
    Gauge& GaugeOf(const std::string& name, const std::string& help, const Labels& labels = {});
    Histogram& HistogramOf(const std::string& name, const std::string& help,
                           const std::vector<double>& bounds, const Labels& labels = {});
    // A gauge whose value is read when the metrics are rendered.
    void GaugeReading(const std::string& name, const std::string& help, const Labels& labels,
                      std::function<double()> read);

    // Every family in the order of its first use: "# HELP", "# TYPE", then its samples.
    std::string Render() const;

    // What the console shows live. The sum of the values of a family's counters, gauges and
    // readings whose labels include all of `match`; 0 when there are none.
    double Sum(const std::string& name, const Labels& match = {}) const;
    // The counts of a family's histograms added up bucket by bucket (as Histogram::Counts), and
    // their bounds; both empty when there are none.
    std::pair<std::vector<double>, std::vector<std::uint64_t>> Buckets(const std::string& name) const;

private:
    enum class Type { Counter, Gauge, Histogram };
    struct Series;
    struct Family {
        std::string name;
        std::string help;
        Type type;
        std::vector<std::unique_ptr<Series>> series;
    };

    Series& SeriesOf(const std::string& name, const std::string& help, Type type, const Labels& labels);

    std::vector<Family> m_families;
};

// The bound under which a share `q` (0 to 1) of the observations between two readings of Buckets
// fell (`before` may be empty: from none); nothing when none came between, +Inf when the share
// reaches the last bucket.
std::optional<double> UpperQuantile(const std::vector<double>& bounds, const std::vector<std::uint64_t>& now,
                                    const std::vector<std::uint64_t>& before, double q);

// Histogram bounds: `count` bounds from `first`, each `factor` times the one before.
std::vector<double> ExponentialBounds(double first, double factor, int count);

}  // namespace metrics
