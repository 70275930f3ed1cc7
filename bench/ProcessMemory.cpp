#include "ProcessMemory.h"

#include <cstdio>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

TResidentMemory CurrentResidentMiB() {
    TResidentMemory memory;
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return memory;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "RssAnon: %ld kB", &kilobytes) == 1)
            memory.Anonymous = double(kilobytes) / 1024.0;
        else if (std::sscanf(line, "RssFile: %ld kB", &kilobytes) == 1)
            memory.File = double(kilobytes) / 1024.0;
    }
    std::fclose(status);
    return memory;
}

THeapInUse HeapInUseMiB() {
    constexpr double MiB = 1024.0 * 1024.0;
    const struct mallinfo2 info = mallinfo2();
    return {double(info.uordblks + info.hblkhd) / MiB, double(sqlite3_memory_used()) / MiB};
}
