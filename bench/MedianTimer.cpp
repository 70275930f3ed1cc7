#include "MedianTimer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

double Median(std::vector<double>& Times) {
    std::sort(Times.begin(), Times.end());
    const size_t middle = Times.size() / 2;
    return Times.size() % 2 ? Times[middle] : (Times[middle - 1] + Times[middle]) / 2;
}

} // namespace

double MedianMicroseconds(int Repeat, const std::function<void()>& Prepare,
                          const std::function<void()>& Measured) {
    return AlternatedMedianMicroseconds(Repeat, {{Prepare, Measured}}).front();
}

std::vector<double> AlternatedMedianMicroseconds(int Repeat, const std::vector<TTimedStep>& Steps) {
    using Clock = std::chrono::steady_clock;
    for (const TTimedStep& step : Steps) {
        step.Prepare();
        step.Measured();
    }
    std::vector<std::vector<double>> times(Steps.size());
    for (std::vector<double>& stepTimes : times)
        stepTimes.reserve(size_t(Repeat));
    for (int i = 0; i < Repeat; ++i)
        for (size_t s = 0; s < Steps.size(); ++s) {
            Steps[s].Prepare();
            const auto start = Clock::now();
            Steps[s].Measured();
            times[s].push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    std::vector<double> medians;
    for (std::vector<double>& stepTimes : times)
        medians.push_back(Median(stepTimes));
    return medians;
}
