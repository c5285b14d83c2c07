#pragma once

// Tiny helpers the benchmarks share: time a body many times, print a table row.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace trq::bench {

struct Timing {
    double medianUs = 0;
    double p99Us = 0;
    double maxUs = 0;
};

inline double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples[index];
}

inline Timing Summarise(const std::vector<double>& samplesUs) {
    return {Percentile(samplesUs, 0.5), Percentile(samplesUs, 0.99),
            samplesUs.empty() ? 0 : *std::max_element(samplesUs.begin(), samplesUs.end())};
}

inline Timing TimeIt(int runs, const std::function<void()>& body) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return Summarise(samples);
}

inline void PrintHeader(const char* title) {
    std::printf("\n%s\n", title);
    std::printf("%-44s %12s %12s %12s  %s\n", "measure", "median", "p99", "max", "unit");
    std::printf("%s\n", std::string(94, '-').c_str());
}

inline void PrintRow(const std::string& name, const Timing& t, const char* unit = "us") {
    std::printf("%-44s %12.1f %12.1f %12.1f  %s\n", name.c_str(), t.medianUs, t.p99Us, t.maxUs,
                unit);
}

}  // namespace trq::bench
