#pragma once

// Registers the search component, with the library's controls, for form files.
void RegisterSearchClasses();
