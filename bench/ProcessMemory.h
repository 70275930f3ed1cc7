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

// The heap in use now (allocated and not given back), in MiB, and the part of it that SQLite
// holds for every connection of the process (page caches, schemas, statements). The rest is
// the libraries' and their clients' own.
struct THeapInUse {
    double Total = 0;
    double Sqlite = 0;
};
THeapInUse HeapInUseMiB();
