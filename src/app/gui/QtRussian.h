#pragma once
// Qt's own texts (file dialogs, Yes/No/Cancel, the overwrite question) in
// Russian, like the rest of the program, whatever the desktop's language.

// Loads Qt's Russian translations (Debian: qt6-translations-l10n) into the
// running application; false when they are not installed, and the texts
// stay in English.
bool InstallQtRussian();
