#pragma once

// Registers the dialog forms of the library for form files.
void RegisterFormsClasses();
