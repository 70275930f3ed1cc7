#include "MedianTimer.h"

#include <algorithm>
#include <chrono>
#include <vector>

double MedianMicroseconds(int Repeat, const std::function<void()>& Prepare,
                          const std::function<void()>& Measured) {
    using Clock = std::chrono::steady_clock;
    Prepare();
    Measured();
    std::vector<double> times;
    times.reserve(size_t(Repeat));
    for (int i = 0; i < Repeat; ++i) {
        Prepare();
        const auto start = Clock::now();
        Measured();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}
