// The language menus: the interface texts of every window from a language file.
#include "app/tfmain.h"

#include "about/tfabout.h"
#include "app/interface_language.h"

#include <QAction>

void TFmain::NEnglishClick(QAction* item) {
    applyLanguage(languageName(item->text()));
}

void TFmain::applyLanguage(const QString& language) {
    const QStringList files = languageFiles(m_platform.programDirectory, language);
    for (QWidget* window : {static_cast<QWidget*>(this), static_cast<QWidget*>(FAbout)}) {
        for (const QString& file : files)
            translateWindow(window, file);
    }
}
