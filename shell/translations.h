#pragma once
// Qt's own texts (standard buttons, dialogs, context menus) in Brazilian
// Portuguese, from the translations Qt installs (Debian: qt6-translations-l10n).

class QCoreApplication;

// Installs qtbase_pt_BR into the application; false when the file is not
// installed (the texts stay in English).
bool installQtTranslations(QCoreApplication& app);
