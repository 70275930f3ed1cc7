#pragma once

// Registers the forms, data modules and controls of this layer, so that form files can
// create them by class name. Repeated calls do nothing more.
void RegisterUiClasses();
