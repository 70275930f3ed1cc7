#pragma once

// Registers the rich edit, its menu and its dialogs for form files.
void RegisterRichClasses();
