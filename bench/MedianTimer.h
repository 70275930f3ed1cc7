#pragma once

#include <functional>

// Times Measured Repeat times, each after an untimed Prepare, following one untimed
// warm-up round, and returns the median in microseconds.
double MedianMicroseconds(int Repeat, const std::function<void()>& Prepare,
                          const std::function<void()>& Measured);
