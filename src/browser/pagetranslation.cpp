// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pagetranslation.h"

#include "browser/browsermodel.h"
#include "catalogue/appmodel.h"

namespace Lectorin {

PageTranslation::PageTranslation(BrowserModel *browser, AppModel *app)
    : QObject(browser)
    , m_browser(browser)
    , m_app(app)
{
    connect(browser, &BrowserModel::currentPageIDChanged, this, &PageTranslation::update);
    connect(app, &AppModel::pagesChanged, this, &PageTranslation::update);
    connect(app, &AppModel::shownCopyChanged, this, [this](const QString &id) {
        if (m_browser->currentPageID() != id)
            return;
        update();
        m_browser->reload();
    });
    update();
}

void PageTranslation::setShowsTranslation(bool shows)
{
    if (!m_state.canSwitch || shows == m_state.showsTranslation)
        return;
    m_app->setShowsUntranslatedCopy(*m_browser->currentPageID(), !shows);
}

void PageTranslation::update()
{
    State state;
    const std::optional<QString> &id = m_browser->currentPageID();
    if (const ManPage *page = id ? m_app->catalogue().page(*id) : nullptr) {
        state.language = page->location.language();
        state.showsTranslation = !m_app->showsUntranslatedCopy(*id);
        // Looking for the untranslated file costs a few file lookups, so only translated pages pay it.
        state.canSwitch
            = !state.language.isEmpty() && (!state.showsTranslation || m_app->untranslatedCopy(*id));
    }
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit changed();
}

} // namespace Lectorin
