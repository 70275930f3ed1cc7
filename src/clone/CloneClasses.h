#pragma once

// Registers the record cloner for form files.
void RegisterCloneClasses();
