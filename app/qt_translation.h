#pragma once

#include "resources/string_table.h"

class QTranslator;

// Puts Qt's own texts (the buttons of the standard message boxes, the file dialogs) in the
// interface language: for a Korean interface it loads qtbase_ko.qm from Qt's translations folder
// into `translator` and installs it, so it must outlive every window. Where that file is
// missing the texts stay English; nothing fails. User-interface thread, once the application
// object exists.
void InstallQtTranslation(UiLanguage language, QTranslator& translator);
