#pragma once

// Registers the lookup and list fields for form files and installs their hooks: the
// after-open hook of the library's datasets and the list fields' control factories.
void RegisterFieldsClasses();
