#pragma once

// What the timed benchmarks over a kept database share.

#include <QString>
#include <functional>

// The main routine of a benchmark called Name run as "Name DIR [repeat]": starts an
// application on the offscreen platform unless QT_QPA_PLATFORM names another, and runs
// Bench with DIR made absolute and the repeat count (DefaultRepeat when not given). Wrong
// arguments print the usage and give 2; an exception is printed under Name and gives 1.
int BenchMain(int argc, char** argv, const char* Name, int DefaultRepeat,
              const std::function<int(const QString& Dir, int Repeat)>& Bench);
// The same for a benchmark that also runs on the PostgreSQL server, as
// "Name [--postgres] DIR [repeat]"; Bench learns whether --postgres was given.
int BenchMainOnEngines(
    int argc, char** argv, const char* Name, int DefaultRepeat,
    const std::function<int(const QString& Dir, int Repeat, bool OnServer)>& Bench);
