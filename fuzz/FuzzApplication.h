#pragma once

// The application the targets that need the whole platform run in: a QApplication on the
// offscreen platform with the platform's classes registered, working in a folder of its
// own so that what a fuzzed input writes (a database, settings) goes nowhere else.
void StartFuzzApplication(int* argc, char*** argv);
