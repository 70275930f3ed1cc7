#pragma once

// The resident memory of this process, in MiB (Linux).

// The peak resident set (getrusage's ru_maxrss). It counts the pages of memory-mapped
// files as well as the heap.
double PeakResidentMiB();

// The resident set now, as /proc/self/status splits it.
struct TResidentMemory {
    double Anonymous = 0; // heap and stacks
    double File = 0;      // libraries and memory-mapped files
};
TResidentMemory CurrentResidentMiB();
