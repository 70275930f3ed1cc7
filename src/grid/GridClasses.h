#pragma once

// Registers the library's data grid for form files.
void RegisterGridClasses();
