#pragma once

#include <functional>
#include <vector>

// Times Measured Repeat times, each after an untimed Prepare, following one untimed
// warm-up round, and returns the median in microseconds.
double MedianMicroseconds(int Repeat, const std::function<void()>& Prepare,
                          const std::function<void()>& Measured);

// A step timed among others: Measured runs after an untimed Prepare.
struct TTimedStep {
    std::function<void()> Prepare;
    std::function<void()> Measured;
};

// Times the steps in turn, Repeat rounds after one untimed warm-up round, and returns the
// median of each in microseconds. Taking turns gives each step the same share of a
// machine whose speed drifts (a server process woken on another core, a busy neighbour).
std::vector<double> AlternatedMedianMicroseconds(int Repeat, const std::vector<TTimedStep>& Steps);
