#pragma once

// Registers the record cloner, and the dataset layer's classes, for form files.
void RegisterCloneClasses();
