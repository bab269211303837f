#pragma once

#include "settings/Language.h"

// The translators of the program: none for Russian (its texts are the source texts) but Qt's own
// Russian texts for the standard buttons and dialogs; the English translation (tomaro_en.qm,
// built from translations/tomaro_en.ts and embedded as a resource) for English.
// User-interface thread only, with a QCoreApplication.
namespace tomaro::translations {

// Makes `language` the process-wide language (setCurrentLanguage) and installs its translators.
// Every window receives QEvent::LanguageChange before this returns when a translator changed.
// Returns false when the English translation could not be loaded (the texts then stay Russian).
bool apply(Language language);

}  // namespace tomaro::translations
