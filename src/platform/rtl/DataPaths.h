#pragma once

#include <QString>

// The directory where the program keeps the user's own data files (the writable
// application data location: ~/.local/share/<organisation>/<program> on Linux), made when
// missing; without a home directory, a directory of the system's temporary place.
QString UserDataDirectory();
