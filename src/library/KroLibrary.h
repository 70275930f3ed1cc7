#pragma once

// Registers every part of the library: the classes form files name, the factories and the
// hooks each folder installs. The linker leaves out the object files of a static library
// that nothing refers to, so no part registers itself from a static initialiser: programs
// and tests call this once, before the first form file is read.
void RegisterKroLibrary();
