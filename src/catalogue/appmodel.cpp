// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"

#include "catalogue/manindex.h"
#include "catalogue/pagelookup.h"
#include "catalogue/searchpaths.h"
#include "catalogue/settingsvalues.h"
#include "catalogue/whenfinished.h"

#include <QSettings>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>

namespace Lectorin {
namespace {

const QString kHistoryKey = QStringLiteral("history");
const QString kFontScaleKey = QStringLiteral("viewerFontScale");
const QString kShowTranslatedPagesKey = QStringLiteral("showTranslatedPages");

struct ScannedCatalogue
{
    QStringList directories;
    QStringList languages;
    Catalogue catalogue;
};

struct ScannedHelpPages
{
    QStringList directories;
    QList<ManPage> helpPages;
};

std::function<QStringList()> fixedDirectories(QStringList directories)
{
    return [directories = std::move(directories)] { return directories; };
}

} // namespace

AppModel::Discovery AppModel::systemDiscovery()
{
    return { SearchPaths::manualDirectories, SearchPaths::commandDirectories,
        SearchPathCache::defaultPath() };
}

AppModel::AppModel(QSettings *settings, Discovery discovery, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_discovery(std::move(discovery))
{
    m_history = SettingsValues::stringList(m_settings->value(kHistoryKey)).value_or(QStringList());
    const double storedScale = SettingsValues::number(m_settings->value(kFontScaleKey)).value_or(0);
    if (storedScale > 0)
        m_fontScale = std::clamp(storedScale, kMinFontScale, kMaxFontScale);
    m_readerLanguages = m_discovery.languages.value_or(PageLanguages::fromEnvironment());
    m_showsTranslatedPages
        = SettingsValues::boolean(m_settings->value(kShowTranslatedPagesKey)).value_or(true);
}

QStringList AppModel::pageLanguages() const
{
    return m_showsTranslatedPages || !m_discovery.followsTranslationSetting ? m_readerLanguages
                                                                            : QStringList();
}

void AppModel::setShowsTranslatedPages(bool shows)
{
    if (shows == m_showsTranslatedPages)
        return;
    const QStringList languagesBefore = pageLanguages();
    m_showsTranslatedPages = shows;
    m_settings->setValue(kShowTranslatedPagesKey, shows);
    Q_EMIT showsTranslatedPagesChanged(shows);
    // A load that runs now checks the languages when it ends.
    if (pageLanguages() != languagesBefore && m_indexState == IndexState::ready && !m_isRefreshingIndex)
        rescanForLanguages();
}

void AppModel::rescanForLanguages()
{
    setRefreshingIndex(true);
    const DirectoriesSource commands = m_scannedPaths.commandDirectories.isEmpty()
        ? m_discovery.commandDirectories
        : fixedDirectories(m_scannedPaths.commandDirectories);
    loadIndex(
        fixedDirectories(m_scannedPaths.manualDirectories), commands, [this] { setRefreshingIndex(false); });
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
    Q_EMIT fontScaleChanged(scale);
}

void AppModel::setDidRestoreInitialPage(bool restored)
{
    if (restored == m_didRestoreInitialPage)
        return;
    m_didRestoreInitialPage = restored;
    Q_EMIT didRestoreInitialPageChanged(restored);
}

void AppModel::loadIndexIfNeeded()
{
    if (m_indexLoadStarted)
        return;
    m_indexLoadStarted = true;
    if (!m_discovery.cacheFile.isEmpty())
        m_storedPaths = SearchPathCache::read(m_discovery.cacheFile);
    if (!m_storedPaths) {
        loadIndex(m_discovery.manualDirectories, m_discovery.commandDirectories,
            [this] { setIndexState(IndexState::ready); });
        return;
    }
    setKnownManualDirectories(m_storedPaths->manualDirectories);
    loadIndex(fixedDirectories(m_storedPaths->manualDirectories),
        fixedDirectories(m_storedPaths->commandDirectories), [this] {
            setIndexState(IndexState::ready);
            confirmCachedPaths();
        });
}

void AppModel::refreshIndex()
{
    if (m_indexState != IndexState::ready || m_isRefreshingIndex)
        return;
    setRefreshingIndex(true);
    loadIndex(
        m_discovery.manualDirectories, m_discovery.commandDirectories, [this] { setRefreshingIndex(false); });
}

void AppModel::loadIndex(
    DirectoriesSource manual, DirectoriesSource commands, std::function<void()> afterPublishing)
{
    QFuture<QStringList> discovered = QtConcurrent::run(&m_discoveryPool, std::move(manual));
    // A page asked for at the start is looked up in these folders while they are scanned.
    if (!m_knownManualDirectories) {
        Futures::whenFinished(discovered, this,
            [this](const QStringList &directories) { setKnownManualDirectories(directories); });
    }
    const QFuture<ScannedCatalogue> scan = discovered.then(
        QThreadPool::globalInstance(), [languages = pageLanguages()](const QStringList &directories) {
            return ScannedCatalogue { directories, languages,
                ManIndex::scanWithTranslations(PageLanguages::withTranslations(directories, languages)) };
        });
    Futures::whenFinished(scan, this,
        [this, commands = std::move(commands), afterPublishing = std::move(afterPublishing)](
            ScannedCatalogue scanned) {
            m_scannedPaths.manualDirectories = scanned.directories;
            publishCatalogue(std::move(scanned.catalogue), commands);
            afterPublishing();
            if (scanned.languages != pageLanguages() && !m_isRefreshingIndex)
                rescanForLanguages();
        });
}

void AppModel::publishCatalogue(Catalogue manualPages, DirectoriesSource commands)
{
    QSet<QString> knownNames;
    knownNames.reserve(manualPages.nameCount());
    for (const ManPage &page : manualPages.pages())
        knownNames.insert(page.name);
    // The previous help pages stay reachable until the new command scan replaces them.
    setCatalogue(manualPages.withHelpPages(m_catalogue.helpPages()));
    Q_EMIT indexLoaded();
    QMetaObject::invokeMethod(
        this,
        [this, knownNames = std::move(knownNames), commands = std::move(commands)] {
            refreshHelpPages(knownNames, commands);
        },
        Qt::QueuedConnection);
}

void AppModel::refreshHelpPages(const QSet<QString> &knownNames, DirectoriesSource commands)
{
    const int generation = ++m_helpScanGeneration;
    const QFuture<ScannedHelpPages> scan
        = QtConcurrent::run(&m_discoveryPool, std::move(commands))
              .then(QThreadPool::globalInstance(), [knownNames](const QStringList &directories) {
                  return ScannedHelpPages { directories, ManIndex::scanCommands(directories, knownNames) };
              });
    Futures::whenFinished(scan, this, [this, generation](ScannedHelpPages scanned) {
        // A scan of older paths or an older catalogue that ends late must not replace a newer one.
        if (generation != m_helpScanGeneration)
            return;
        m_scannedPaths.commandDirectories = scanned.directories;
        rememberScannedPaths();
        publishHelpPages(std::move(scanned.helpPages));
    });
}

void AppModel::publishHelpPages(QList<ManPage> helpPages)
{
    setCatalogue(m_catalogue.withHelpPages(std::move(helpPages)));
    Q_EMIT helpPagesLoaded();
}

void AppModel::confirmCachedPaths()
{
    const QFuture<SearchPathSet> discovery = QtConcurrent::run(&m_discoveryPool,
        [manual = m_discovery.manualDirectories, commands = m_discovery.commandDirectories] {
            return SearchPathSet { manual(), commands() };
        });
    Futures::whenFinished(
        discovery, this, [this](const SearchPathSet &discovered) { adoptDiscoveredPaths(discovered); });
}

void AppModel::adoptDiscoveredPaths(const SearchPathSet &discovered)
{
    // A re-scan that runs now discovers for itself and remembers what it found.
    if (discovered == m_storedPaths || m_isRefreshingIndex)
        return;
    setRefreshingIndex(true);
    loadIndex(fixedDirectories(discovered.manualDirectories), fixedDirectories(discovered.commandDirectories),
        [this] { setRefreshingIndex(false); });
}

void AppModel::rememberScannedPaths()
{
    if (m_discovery.cacheFile.isEmpty() || m_scannedPaths == m_storedPaths)
        return;
    if (SearchPathCache::write(m_discovery.cacheFile, m_scannedPaths))
        m_storedPaths = m_scannedPaths;
}

void AppModel::setKnownManualDirectories(const QStringList &directories)
{
    if (m_knownManualDirectories)
        return;
    m_knownManualDirectories = directories;
    Q_EMIT manualDirectoriesKnown();
}

void AppModel::setCatalogue(Catalogue catalogue)
{
    const bool pagesDiffer = catalogue.pages() != m_catalogue.pages();
    const bool helpPagesDiffer = catalogue.helpPages() != m_catalogue.helpPages();
    if (!pagesDiffer && !helpPagesDiffer)
        return;
    m_catalogue = std::move(catalogue);
    if (pagesDiffer) {
        refreshUntranslatedCopies();
        m_pagesSearchIndex = SearchIndex(m_catalogue.pages());
        Q_EMIT pagesChanged();
    }
    if (helpPagesDiffer) {
        m_helpPagesSearchIndex = SearchIndex(m_catalogue.helpPages());
        Q_EMIT helpPagesChanged();
    }
}

void AppModel::setIndexState(IndexState state)
{
    if (state == m_indexState)
        return;
    m_indexState = state;
    Q_EMIT indexStateChanged(state);
}

void AppModel::setRefreshingIndex(bool refreshing)
{
    if (refreshing == m_isRefreshingIndex)
        return;
    m_isRefreshingIndex = refreshing;
    Q_EMIT isRefreshingIndexChanged(refreshing);
}

std::optional<ManPage> AppModel::resolvePage(const QString &name, const std::optional<QString> &section) const
{
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
    return shownCopy(*found);
}

std::optional<ManPage> AppModel::pageBeforeCatalogue(const PageReference &reference) const
{
    if (!m_knownManualDirectories)
        return std::nullopt;
    // The translation folders first, as the scan takes them.
    const std::optional<ManPage> found = PageLookup::findDirectly(
        PageLanguages::withTranslations(*m_knownManualDirectories, pageLanguages()), reference);
    return found ? std::optional(shownCopy(*found)) : std::nullopt;
}

std::optional<ManPage> AppModel::page(const QString &id) const
{
    if (const ManPage *found = m_catalogue.page(id))
        return shownCopy(*found);
    return std::nullopt;
}

ManPage AppModel::shownCopy(const ManPage &page) const
{
    if (m_untranslatedCopies.isEmpty())
        return page;
    return m_untranslatedCopies.value(page.id(), page);
}

std::optional<ManPage> AppModel::untranslatedCopy(const QString &id) const
{
    const ManPage *translated = m_catalogue.page(id);
    if (!translated || translated->location.language().isEmpty())
        return std::nullopt;
    std::optional<ManPage> copy = PageLookup::findDirectly(
        m_scannedPaths.manualDirectories, PageReference { translated->name, translated->section });
    if (copy)
        copy->displayName = translated->displayName;
    return copy;
}

void AppModel::setShowsUntranslatedCopy(const QString &id, bool shows)
{
    if (shows == showsUntranslatedCopy(id))
        return;
    if (!shows) {
        m_untranslatedCopies.remove(id);
    } else if (const std::optional<ManPage> copy = untranslatedCopy(id)) {
        m_untranslatedCopies.insert(id, *copy);
    } else {
        return;
    }
    Q_EMIT shownCopyChanged(id);
}

// A new scan may move or drop a chosen copy, or make the catalogue's own page untranslated.
void AppModel::refreshUntranslatedCopies()
{
    const QStringList chosen = m_untranslatedCopies.keys();
    for (const QString &id : chosen) {
        if (const std::optional<ManPage> copy = untranslatedCopy(id)) {
            m_untranslatedCopies.insert(id, *copy);
        } else {
            m_untranslatedCopies.remove(id);
            Q_EMIT shownCopyChanged(id);
        }
    }
}

void AppModel::recordVisit(const QString &id, bool promote)
{
    if (!promote && m_history.contains(id))
        return;
    QStringList history = m_history;
    history.removeAll(id);
    history.prepend(id);
    if (history.size() > kHistoryCapacity)
        history.resize(kHistoryCapacity);
    m_settings->setValue(kHistoryKey, history);
    setHistory(std::move(history));
}

void AppModel::clearHistory()
{
    m_settings->remove(kHistoryKey);
    setHistory({});
}

void AppModel::setHistory(QStringList history)
{
    if (history == m_history)
        return;
    m_history = std::move(history);
    Q_EMIT historyChanged(m_history);
}

} // namespace Lectorin
