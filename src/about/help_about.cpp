// Help, the web links and the about box.
#include "app/tfmain.h"

#include "about/help_text.h"
#include "about/tfabout.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

void TFmain::createAboutBox() {
    m_links = webLinks(m_platform.programDirectory);
    m_about = std::make_unique<TFAbout>(*m_platform.shell, m_links);
    FAbout = m_about.get();
}

// The help box has no owner, like the page of a manual beside the window.
void TFmain::NHelpClick() {
    m_platform.dialogs->showMessage(nullptr, QStringLiteral("Parlora 帮助"),
                                    helpText(m_links.contact), Dialogs::Icon::Information);
}

void TFmain::NHomePageClick() {
    m_platform.shell->openUrl(m_links.homePage);
}

void TFmain::TntLabel1Click() {
    m_platform.shell->openUrl(m_links.moreVoices);
}

void TFmain::NAboutClick() {
    if (!FAbout->isVisible())
        FAbout->exec();
}
