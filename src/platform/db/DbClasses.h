#pragma once

// Registers the dataset layer's component classes (tables, data sources, databases and
// the field classes) so that form files can name them.
void RegisterDbClasses();
