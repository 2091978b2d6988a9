// Robust statistics for the benchmark figures: medians and quartiles, which a few runs slowed
// by other work on the machine do not move much.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

// The q-quantile (0 to 1) of `values`, interpolated between neighbours; NaN when empty.
inline double quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return std::nan("");
    }
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(at));
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

inline double median(const std::vector<double> &values) {
    return quantile(values, 0.5);
}

inline double mean(const std::vector<double> &values) {
    double sum = 0;
    for (double v : values) {
        sum += v;
    }
    return values.empty() ? std::nan("") : sum / static_cast<double>(values.size());
}

inline double standardDeviation(const std::vector<double> &values) {
    if (values.size() < 2) {
        return std::nan("");
    }
    const double m = mean(values);
    double sum = 0;
    for (double v : values) {
        sum += (v - m) * (v - m);
    }
    return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

// a[i] / b[i] for each pair: ratios of figures measured side by side, in the same round.
inline std::vector<double> pairedRatios(const std::vector<double> &a,
                                        const std::vector<double> &b) {
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) {
        if (b[i] > 0) {
            ratios.push_back(a[i] / b[i]);
        }
    }
    return ratios;
}
