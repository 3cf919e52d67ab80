#pragma once

class QCoreApplication;

// Qt's own texts in Japanese: the file choosers, the message boxes' standard
// buttons and the text editor's context menu. The program's texts are Japanese
// whatever the desktop's language, so Qt's are made to match them on every
// desktop, Japanese ones first among them. The translations come from Debian's
// qt6-translations-l10n; without it Qt's texts stay English.
namespace QtTranslations {

// Installs qtbase_ja into `application`; false when it cannot be read.
bool installJapanese(QCoreApplication &application);

} // namespace QtTranslations
