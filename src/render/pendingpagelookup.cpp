// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/pendingpagelookup.h"

#include "catalogue/appmodel.h"
#include "render/manurl.h"

#include <QTimer>

namespace Lectorin {

PendingPageLookup::PendingPageLookup(QPointer<AppModel> app, PageReference reference, QObject *parent)
    : QObject(parent)
    , m_app(std::move(app))
    , m_reference(std::move(reference))
{ }

void PendingPageLookup::start()
{
    AppModel *app = m_app;
    if (!app) {
        finish(std::nullopt);
        return;
    }
    // Info nodes wait only for the look at the info folders.
    if (m_reference.section == kInfoSection) {
        if (app->isInfoLibraryLoaded())
            finish(app->resolvePage(m_reference.name, m_reference.section));
        else
            connect(app, &AppModel::infoLibraryChanged, this, [this] {
                finish(m_app ? m_app->resolvePage(m_reference.name, m_reference.section) : std::nullopt);
            });
        return;
    }
    if (app->indexState() == AppModel::IndexState::ready) {
        findInCatalogue();
        return;
    }
    // A page named at the start need not wait for the catalogue when its file names tell which it is.
    if (findBeforeCatalogue())
        return;
    connect(app, &AppModel::manualDirectoriesKnown, this, &PendingPageLookup::findBeforeCatalogue);
    connect(app, &AppModel::indexStateChanged, this, [this](AppModel::IndexState state) {
        if (state == AppModel::IndexState::ready)
            findInCatalogue();
    });
    // After the wait the lookup goes on with whatever the catalogue holds by then.
    QTimer::singleShot(kCatalogueWaitMilliseconds, this, &PendingPageLookup::findInCatalogue);
}

bool PendingPageLookup::findBeforeCatalogue()
{
    const std::optional<ManPage> page = m_app ? m_app->pageBeforeCatalogue(m_reference) : std::nullopt;
    if (page)
        finish(page);
    return page.has_value();
}

void PendingPageLookup::findInCatalogue()
{
    AppModel *app = m_app;
    if (m_finished)
        return;
    const std::optional<ManPage> page = app ? resolveManReference(*app, m_reference) : std::nullopt;
    // Remembered paths being confirmed, or a refresh, may still bring the page: "not installed" waits for it.
    if (!page && app && app->indexState() == AppModel::IndexState::ready && !app->isCatalogueSettled()) {
        disconnect(app, &AppModel::indexStateChanged, this, nullptr);
        connect(app, &AppModel::catalogueSettled, this, &PendingPageLookup::findInCatalogue,
            Qt::UniqueConnection);
        return;
    }
    finish(page);
}

void PendingPageLookup::finish(const std::optional<ManPage> &page)
{
    if (m_finished)
        return;
    m_finished = true;
    if (AppModel *app = m_app)
        disconnect(app, nullptr, this, nullptr);
    emit finished(page);
}

} // namespace Lectorin
