#pragma once

// Registers the library's controls and menus, with the platform's controls and the
// dataset layer's classes, for form files.
void RegisterControlClasses();
