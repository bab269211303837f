#pragma once

#include "settings/Language.h"

// The translators of the program: none for Russian (its texts are the source texts) but Qt's own
// Russian texts for the standard buttons and dialogs; the English translation (tomaro_en.qm,
// built from translations/tomaro_en.ts and embedded as a resource) for English.
// User-interface thread only.
namespace tomaro::translations {

// The one switch of the language on the Qt side: makes `language` the process-wide language of
// the core's texts (setCurrentLanguage) and installs its translators for the texts of Qt's side
// (tr(), QCoreApplication::translate), so that the two never disagree. The window calls it at
// the start and when the user chooses a language, tomaro-analyze once at its start.
//
// With a QCoreApplication every window receives QEvent::LanguageChange before this returns when
// a translator changed; returns false when the English translation could not be loaded (the
// texts then stay Russian, the core's as well). Without one (tomaro-analyze, but when it
// listens) nothing is translated by Qt: only the process-wide language is set.
bool apply(Language language);

}  // namespace tomaro::translations
