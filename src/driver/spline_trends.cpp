#include "driver/spline_trends.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "spline/cgcv1.h"

namespace tarnik {
namespace {

void fit_one(Stores& st, std::int32_t i, std::int32_t& bandwidth, std::vector<float>& values,
             std::vector<float>& fit, std::vector<float>& se) {
    const SeriesRecord& r = st.rec(i);
    const std::span<std::int32_t> stored = st.values_of(i);
    // The reader's values in millimetres, computed as the reader computes them.
    const float divisor = r.scale == 100 ? 100.0f : 1000.0f;
    for (std::size_t k = 0; k < stored.size(); ++k) values[k] = static_cast<float>(stored[k]) / divisor;
    float var = -1.0f;
    spline::cgcv1(MaxYears, r.length, std::span<const float>(values.data(), stored.size()),
                  std::span<float>(fit.data(), stored.size()), bandwidth, var,
                  std::span<float>(se.data(), stored.size()));
    const float scale = static_cast<float>(r.scale);
    for (std::size_t k = 0; k < stored.size(); ++k) stored[k] = static_cast<std::int32_t>(fit[k] * scale);
}

}  // namespace

void fit_spline_trends(Stores& st, std::span<std::int32_t> bandwidths) {
    const std::int32_t nser = st.nser;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned workers = nser < 64 ? 1u : std::min(cores, 8u);
    std::atomic<std::int32_t> next{1};
    std::vector<std::exception_ptr> errors(workers);
    auto work = [&](unsigned w) {
        std::vector<float> values(MaxYears), fit(MaxYears), se(MaxYears);
        try {
            for (std::int32_t i = next++; i <= nser; i = next++)
                fit_one(st, i, bandwidths[static_cast<std::size_t>(i - 1)], values, fit, se);
        } catch (...) {
            errors[w] = std::current_exception();
            next = nser + 1;
        }
    };
    std::vector<std::thread> threads;
    try {
        for (unsigned w = 1; w < workers; ++w) threads.emplace_back(work, w);
    } catch (const std::system_error&) {
        // No further thread could be started: the ones running share the work.
    }
    work(0);
    for (auto& t : threads) t.join();
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
}

}  // namespace tarnik
