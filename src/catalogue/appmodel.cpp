// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"

#include "catalogue/catalogueloader.h"
#include "catalogue/infolibraryloader.h"
#include "catalogue/pagedescriptionloader.h"
#include "catalogue/pageidentifierview.h"
#include "catalogue/pagelanguages.h"
#include "catalogue/pagelookup.h"
#include "catalogue/searchpathcache.h"
#include "catalogue/searchpaths.h"
#include "catalogue/settingsvalues.h"
#include "catalogue/translationchoices.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <memory>

namespace Lectorin {
namespace {

const QString kFontScaleKey = QStringLiteral("viewerFontScale");

// Beside the remembered search paths; nothing is remembered where they are not.
QString descriptionsCacheFile(const CatalogueDiscovery &discovery)
{
    if (discovery.cacheFile.isEmpty())
        return QString();
    return QFileInfo(discovery.cacheFile).absolutePath() + QStringLiteral("/descriptions");
}

} // namespace

AppModel::Discovery AppModel::systemDiscovery()
{
    const auto cancellation = std::make_shared<SpawnedProcess::Cancellation>();
    Discovery discovery { [cancellation] { return SearchPaths::manualDirectories(cancellation.get()); },
        [cancellation] { return SearchPaths::commandDirectories(cancellation.get()); },
        SearchPathCache::defaultPath() };
    discovery.infoDirectories = [] { return InfoPath::directories(); };
    discovery.stop = [cancellation] { cancellation->cancel(); };
    return discovery;
}

AppModel::AppModel(QSettings *settings, Discovery discovery, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_translations(new TranslationChoices(settings, discovery, this))
    , m_history(new PageHistory(settings, this))
    , m_descriptions(new PageDescriptionLoader(descriptionsCacheFile(discovery), this))
    , m_info(new InfoLibraryLoader(discovery.infoDirectories, this))
    , m_describesPages(discovery.describesPages)
    , m_loader(new CatalogueLoader(
          std::move(discovery), [this] { return pageLanguages(); }, this))
{
    const double storedScale = SettingsValues::number(m_settings->value(kFontScaleKey)).value_or(0);
    if (storedScale > 0)
        m_fontScale = std::clamp(storedScale, kMinFontScale, kMaxFontScale);
    connect(m_history, &PageHistory::changed, this, &AppModel::historyChanged);
    connect(m_translations, &TranslationChoices::showsTranslatedPagesChanged, this,
        &AppModel::showsTranslatedPagesChanged);
    connect(m_translations, &TranslationChoices::shownCopyChanged, this, &AppModel::shownCopyChanged);
    connect(m_loader, &CatalogueLoader::stateChanged, this, &AppModel::followLoader);
    connect(m_loader, &CatalogueLoader::catalogueScanned, this, &AppModel::publishCatalogue);
    connect(m_loader, &CatalogueLoader::helpPagesScanned, this, &AppModel::publishHelpPages);
    connect(m_loader, &CatalogueLoader::manualDirectoriesKnown, this, &AppModel::manualDirectoriesKnown);
    connect(
        m_descriptions, &PageDescriptionLoader::descriptionsChanged, this, &AppModel::descriptionsChanged);
    connect(m_info, &InfoLibraryLoader::libraryChanged, this, &AppModel::infoLibraryChanged);
    connect(m_info, &InfoLibraryLoader::topicsChanged, this, &AppModel::infoTopicsChanged);
}

const InfoLibrary &AppModel::infoLibrary() const
{
    return m_info->library();
}

bool AppModel::isInfoLibraryLoaded() const
{
    return m_info->isLoaded();
}

const QList<InfoFilter::Topic> &AppModel::infoTopics() const
{
    return m_info->topics();
}

const QList<ManPage> &AppModel::infoNodePages() const
{
    return m_info->nodePages();
}

bool AppModel::areInfoTopicsLoaded() const
{
    return m_info->areTopicsLoaded();
}

const PageDescriptions &AppModel::descriptions() const
{
    return m_descriptions->descriptions();
}

bool AppModel::indexLoadStarted() const
{
    return m_loader->state() != CatalogueLoader::State::unloaded;
}

bool AppModel::isCatalogueSettled() const
{
    return m_loader->state() == CatalogueLoader::State::idle;
}

const QStringList &AppModel::readerLanguages() const
{
    return m_translations->readerLanguages();
}

bool AppModel::showsTranslatedPages() const
{
    return m_translations->showsTranslatedPages();
}

QStringList AppModel::pageLanguages() const
{
    return m_translations->pageLanguages();
}

void AppModel::setShowsTranslatedPages(bool shows)
{
    const QStringList languagesBefore = pageLanguages();
    m_translations->setShowsTranslatedPages(shows);
    if (pageLanguages() != languagesBefore)
        m_loader->languagesChanged();
}

void AppModel::setFontScale(double scale)
{
    if (!std::isfinite(scale))
        return;
    scale = std::clamp(scale, kMinFontScale, kMaxFontScale);
    if (scale == m_fontScale)
        return;
    m_fontScale = scale;
    m_settings->setValue(kFontScaleKey, scale);
    emit fontScaleChanged(scale);
}

void AppModel::setDidRestoreInitialPage(bool restored)
{
    if (restored == m_didRestoreInitialPage)
        return;
    m_didRestoreInitialPage = restored;
    emit didRestoreInitialPageChanged(restored);
}

void AppModel::setBackgroundWorkHeld(bool held)
{
    m_descriptions->setHeld(held);
    m_info->setTopicsHeld(held);
}

void AppModel::loadIndexIfNeeded()
{
    m_loader->loadIfNeeded();
    if (!m_info->isLoaded())
        m_info->load();
}

void AppModel::refreshIndex()
{
    m_loader->refresh();
    m_info->load();
}

void AppModel::followLoader()
{
    setIndexState(m_loader->isReady() ? IndexState::ready : IndexState::loading);
    setRefreshingIndex(m_loader->isRescanning());
    // The loader tells only changes of its state.
    if (isCatalogueSettled())
        emit catalogueSettled();
}

void AppModel::publishCatalogue(const Catalogue &manualPages)
{
    // The previous help pages stay reachable until the new command scan replaces them.
    setCatalogue(manualPages.withHelpPages(m_catalogue.helpPages()));
    if (m_describesPages)
        m_descriptions->load(manualPages.pages(), m_loader->scannedManualDirectories());
    emit indexLoaded();
}

void AppModel::publishHelpPages(const QList<ManPage> &helpPages)
{
    setCatalogue(m_catalogue.withHelpPages(helpPages));
    emit helpPagesLoaded();
}

void AppModel::setCatalogue(Catalogue catalogue)
{
    const bool pagesDiffer = catalogue.pages() != m_catalogue.pages();
    const bool helpPagesDiffer = catalogue.helpPages() != m_catalogue.helpPages();
    if (!pagesDiffer && !helpPagesDiffer)
        return;
    m_catalogue = std::move(catalogue);
    if (pagesDiffer) {
        m_translations->refreshUntranslatedCopies(m_catalogue, m_loader->scannedManualDirectories());
        m_pagesSearchIndex = SearchIndex(m_catalogue.pages());
        emit pagesChanged();
    }
    if (helpPagesDiffer) {
        m_helpPagesSearchIndex = SearchIndex(m_catalogue.helpPages());
        emit helpPagesChanged();
    }
}

void AppModel::setIndexState(IndexState state)
{
    if (state == m_indexState)
        return;
    m_indexState = state;
    emit indexStateChanged(state);
}

void AppModel::setRefreshingIndex(bool refreshing)
{
    if (refreshing == m_isRefreshingIndex)
        return;
    m_isRefreshingIndex = refreshing;
    emit isRefreshingIndexChanged(refreshing);
}

std::optional<ManPage> AppModel::resolvePage(const QString &name, const std::optional<QString> &section) const
{
    if (section == kInfoSection)
        return m_info->page(name);
    const ManPage *found = nullptr;
    if (section) {
        found = m_catalogue.page(QString(*section + u'/' + name));
        if (!found)
            found = m_catalogue.pageWithSectionPrefix(name, *section);
    }
    if (!found)
        found = m_catalogue.preferredPage(name);
    if (!found)
        return std::nullopt;
    return m_translations->shownCopy(*found);
}

std::optional<ManPage> AppModel::pageBeforeCatalogue(const PageReference &reference) const
{
    const std::optional<QStringList> &directories = m_loader->knownManualDirectories();
    if (!directories)
        return std::nullopt;
    // The translation folders first, as the scan takes them.
    const std::optional<ManPage> found
        = PageLookup::findDirectly(PageLanguages::withTranslations(*directories, pageLanguages()), reference);
    return found ? std::optional(m_translations->shownCopy(*found)) : std::nullopt;
}

std::optional<ManPage> AppModel::page(const QString &id) const
{
    if (const PageIdentifierView identifier(id); identifier.section == kInfoSection)
        return m_info->page(identifier.name.toString());
    if (const ManPage *found = m_catalogue.page(id))
        return m_translations->shownCopy(*found);
    return std::nullopt;
}

std::optional<ManPage> AppModel::untranslatedCopy(const QString &id) const
{
    return TranslationChoices::untranslatedCopy(id, m_catalogue, m_loader->scannedManualDirectories());
}

bool AppModel::showsUntranslatedCopy(const QString &id) const
{
    return m_translations->showsUntranslatedCopy(id);
}

void AppModel::setShowsUntranslatedCopy(const QString &id, bool shows)
{
    m_translations->setShowsUntranslatedCopy(id, shows, m_catalogue, m_loader->scannedManualDirectories());
}

void AppModel::recordVisit(const QString &id, bool promote)
{
    m_history->recordVisit(id, promote);
}

void AppModel::clearHistory()
{
    m_history->clear();
}

} // namespace Lectorin
