#include "Metrics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <variant>

namespace metrics {

namespace {

// A sample's value: integers as such, others in the shortest form that reads back the same.
std::string Number(double value) {
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    if (std::isnan(value)) {
        return "NaN";
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// HELP texts escape backslashes and line ends; label values double quotes too.
std::string Escaped(const std::string& text, bool quotes) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '"' && quotes) {
            out += "\\\"";
        } else {
            out += c;
        }
    }
    return out;
}

std::string LabelText(const Labels& labels, const std::string& le = {}) {
    if (labels.empty() && le.empty()) {
        return {};
    }
    std::string out = "{";
    for (const auto& [name, value] : labels) {
        out += (out.size() > 1 ? "," : "") + name + "=\"" + Escaped(value, true) + "\"";
    }
    if (!le.empty()) {
        out += std::string(out.size() > 1 ? "," : "") + "le=\"" + le + "\"";
    }
    return out + "}";
}

}  // namespace

struct Registry::Series {
    Labels labels;
    std::variant<Counter, Gauge, Histogram, std::function<double()>> value;
};

Registry::Registry() = default;
Registry::~Registry() = default;

Histogram::Histogram(std::vector<double> bounds)
    : m_bounds(std::move(bounds)), m_counts(m_bounds.size() + 1) {
    if (!std::is_sorted(m_bounds.begin(), m_bounds.end()) ||
        std::adjacent_find(m_bounds.begin(), m_bounds.end()) != m_bounds.end()) {
        throw std::invalid_argument("a histogram's bounds must rise strictly");
    }
}

void Histogram::Observe(double value) {
    const auto bucket = std::lower_bound(m_bounds.begin(), m_bounds.end(), value) - m_bounds.begin();
    ++m_counts[static_cast<std::size_t>(bucket)];
    m_sum += value;
}

std::vector<double> ExponentialBounds(double first, double factor, int count) {
    std::vector<double> bounds;
    for (double bound = first; static_cast<int>(bounds.size()) < count; bound *= factor) {
        bounds.push_back(bound);
    }
    return bounds;
}

Registry::Series& Registry::SeriesOf(const std::string& name, const std::string& help, Type type,
                                     const Labels& labels) {
    auto family = std::find_if(m_families.begin(), m_families.end(),
                               [&name](const Family& each) { return each.name == name; });
    if (family == m_families.end()) {
        family = m_families.insert(m_families.end(), Family{name, help, type, {}});
    } else if (family->type != type) {
        throw std::logic_error("the metric " + name + " has another type");
    }
    for (const std::unique_ptr<Series>& series : family->series) {
        if (series->labels == labels) {
            return *series;
        }
    }
    family->series.push_back(std::make_unique<Series>(Series{labels, Counter()}));
    return *family->series.back();
}

Counter& Registry::CounterOf(const std::string& name, const std::string& help, const Labels& labels) {
    return std::get<Counter>(SeriesOf(name, help, Type::Counter, labels).value);
}

Gauge& Registry::GaugeOf(const std::string& name, const std::string& help, const Labels& labels) {
    Series& series = SeriesOf(name, help, Type::Gauge, labels);
    if (!std::holds_alternative<Gauge>(series.value)) {
        series.value = Gauge();
    }
    return std::get<Gauge>(series.value);
}

Histogram& Registry::HistogramOf(const std::string& name, const std::string& help,
                                 const std::vector<double>& bounds, const Labels& labels) {
    Series& series = SeriesOf(name, help, Type::Histogram, labels);
    if (!std::holds_alternative<Histogram>(series.value)) {
        series.value = Histogram(bounds);
    }
    return std::get<Histogram>(series.value);
}

void Registry::GaugeReading(const std::string& name, const std::string& help, const Labels& labels,
                            std::function<double()> read) {
    SeriesOf(name, help, Type::Gauge, labels).value = std::move(read);
}

std::string Registry::Render() const {
    static constexpr const char* kTypes[] = {"counter", "gauge", "histogram"};
    std::string out;
    for (const Family& family : m_families) {
        out += "# HELP " + family.name + " " + Escaped(family.help, false) + "\n";
        out += "# TYPE " + family.name + " " + kTypes[static_cast<int>(family.type)] + "\n";
        for (const std::unique_ptr<Series>& series : family.series) {
            const std::string labels = LabelText(series->labels);
            if (const auto* counter = std::get_if<Counter>(&series->value)) {
                out += family.name + labels + " " + Number(counter->Value()) + "\n";
            } else if (const auto* gauge = std::get_if<Gauge>(&series->value)) {
                out += family.name + labels + " " + Number(gauge->Value()) + "\n";
            } else if (const auto* read = std::get_if<std::function<double()>>(&series->value)) {
                out += family.name + labels + " " + Number((*read)()) + "\n";
            } else {
                const auto& histogram = std::get<Histogram>(series->value);
                std::uint64_t cumulative = 0;
                for (std::size_t i = 0; i <= histogram.Bounds().size(); ++i) {
                    cumulative += histogram.Counts()[i];
                    const std::string le =
                        i < histogram.Bounds().size() ? Number(histogram.Bounds()[i]) : "+Inf";
                    out += family.name + "_bucket" + LabelText(series->labels, le) + " " +
                           std::to_string(cumulative) + "\n";
                }
                out += family.name + "_sum" + labels + " " + Number(histogram.Sum()) + "\n";
                out += family.name + "_count" + labels + " " + std::to_string(cumulative) + "\n";
            }
        }
    }
    return out;
}

double Registry::Sum(const std::string& name, const Labels& match) const {
    double sum = 0;
    for (const Family& family : m_families) {
        if (family.name != name) {
            continue;
        }
        for (const std::unique_ptr<Series>& series : family.series) {
            const bool matches = std::all_of(match.begin(), match.end(), [&series](const auto& label) {
                return std::find(series->labels.begin(), series->labels.end(), label) != series->labels.end();
            });
            if (!matches) {
                continue;
            }
            if (const auto* counter = std::get_if<Counter>(&series->value)) {
                sum += counter->Value();
            } else if (const auto* gauge = std::get_if<Gauge>(&series->value)) {
                sum += gauge->Value();
            } else if (const auto* read = std::get_if<std::function<double()>>(&series->value)) {
                sum += (*read)();
            }
        }
    }
    return sum;
}

std::pair<std::vector<double>, std::vector<std::uint64_t>> Registry::Buckets(const std::string& name) const {
    std::pair<std::vector<double>, std::vector<std::uint64_t>> merged;
    for (const Family& family : m_families) {
        for (const std::unique_ptr<Series>& series : family.series) {
            const auto* histogram = std::get_if<Histogram>(&series->value);
            if (family.name != name || histogram == nullptr) {
                continue;
            }
            if (merged.first.empty()) {
                merged = {histogram->Bounds(), histogram->Counts()};
            } else if (merged.first == histogram->Bounds()) {
                std::transform(merged.second.begin(), merged.second.end(), histogram->Counts().begin(),
                               merged.second.begin(), std::plus<>());
            }
        }
    }
    return merged;
}

std::optional<double> UpperQuantile(const std::vector<double>& bounds, const std::vector<std::uint64_t>& now,
                                    const std::vector<std::uint64_t>& before, double q) {
    std::vector<std::uint64_t> between(now.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
        between[i] = now[i] - (i < before.size() ? std::min(before[i], now[i]) : 0);
    }
    const std::uint64_t total = std::accumulate(between.begin(), between.end(), std::uint64_t{0});
    if (total == 0) {
        return std::nullopt;
    }
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        cumulative += between[i];
        if (static_cast<double>(cumulative) >= q * static_cast<double>(total)) {
            return bounds[i];
        }
    }
    return std::numeric_limits<double>::infinity();
}

}  // namespace metrics
