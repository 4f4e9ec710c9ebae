// The toolkit's own texts (the buttons and menus of its standard dialogs, the editors'
// context menus) in Chinese, from the system's Qt translations (qt6-translations-l10n).
#pragma once

class QCoreApplication;
class QTranslator;

namespace desktop {

//! Loads Qt's zh_CN translations into `app` and returns the installed translator
//! (owned by `app`); null when they are not installed (the toolkit's texts then stay
//! English; everything of our own is Chinese anyway).
QTranslator* installChineseTranslations(QCoreApplication& app);

}  // namespace desktop
