#pragma once

// Registers the dataset layer's component classes so that form files can name them.
void RegisterDatasetClasses();
