// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogueloader.h"

#include "catalogue/manindex.h"
#include "catalogue/pagelanguages.h"
#include "catalogue/whenfinished.h"

#include <QtConcurrent>

namespace Lectorin {
namespace {

using State = CatalogueLoader::State;
using Event = CatalogueLoader::Event;
using Action = CatalogueLoader::Action;

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

CatalogueLoader::Transition CatalogueLoader::transition(State state, Event event)
{
    switch (event) {
    case Event::loadRequested:
        if (state == State::unloaded)
            return { State::firstLoad, Action::discoverAndScan };
        break;
    case Event::loadRequestedWithCachedPaths:
        if (state == State::unloaded)
            return { State::firstLoadFromCache, Action::scanCachedPaths };
        break;
    case Event::refreshRequested:
        if (state == State::idle)
            return { State::rescanning, Action::discoverAndScan };
        if (state == State::confirming)
            return { State::rescanningWhileConfirming, Action::discoverAndScan };
        break;
    case Event::languagesChanged:
        // A scan that runs checks the languages when it ends.
        if (state == State::idle)
            return { State::rescanning, Action::scanForLanguages };
        if (state == State::confirming)
            return { State::rescanningWhileConfirming, Action::scanForLanguages };
        break;
    case Event::scanFinished:
        if (state == State::firstLoad || state == State::rescanning)
            return { State::idle };
        if (state == State::firstLoadFromCache)
            return { State::confirming, Action::confirmCachedPaths };
        if (state == State::rescanningWhileConfirming)
            return { State::confirming };
        break;
    case Event::pathsUnchanged:
    case Event::pathsMoved:
        // A re-scan that runs discovers for itself and remembers what it found.
        if (state == State::rescanningWhileConfirming)
            return { State::rescanning };
        if (state == State::confirming && event == Event::pathsMoved)
            return { State::rescanning, Action::scanDiscoveredPaths };
        if (state == State::confirming)
            return { State::idle };
        break;
    }
    return { state };
}

CatalogueLoader::CatalogueLoader(
    CatalogueDiscovery discovery, std::function<QStringList()> languages, QObject *parent)
    : QObject(parent)
    , m_discovery(std::move(discovery))
    , m_languages(std::move(languages))
{ }

CatalogueLoader::~CatalogueLoader()
{
    if (m_discovery.stop)
        m_discovery.stop();
}

bool CatalogueLoader::isReady() const
{
    return m_state != State::unloaded && m_state != State::firstLoad && m_state != State::firstLoadFromCache;
}

bool CatalogueLoader::isRescanning() const
{
    return m_state == State::rescanning || m_state == State::rescanningWhileConfirming;
}

void CatalogueLoader::loadIfNeeded()
{
    // Only the first load reads the remembered paths.
    if (m_state == State::unloaded && !m_discovery.cacheFile.isEmpty())
        m_storedPaths = SearchPathCache::read(m_discovery.cacheFile);
    handle(m_storedPaths ? Event::loadRequestedWithCachedPaths : Event::loadRequested);
}

void CatalogueLoader::refresh()
{
    handle(Event::refreshRequested);
}

void CatalogueLoader::languagesChanged()
{
    handle(Event::languagesChanged);
}

void CatalogueLoader::handle(Event event)
{
    const Transition step = transition(m_state, event);
    if (step.next != m_state) {
        m_state = step.next;
        emit stateChanged(m_state);
    }
    perform(step.action);
}

void CatalogueLoader::perform(Action action)
{
    switch (action) {
    case Action::none:
        return;
    case Action::discoverAndScan:
        scan(m_discovery.manualDirectories, m_discovery.commandDirectories);
        return;
    case Action::scanCachedPaths:
        setKnownManualDirectories(m_storedPaths->manualDirectories);
        scan(fixedDirectories(m_storedPaths->manualDirectories),
            fixedDirectories(m_storedPaths->commandDirectories));
        return;
    case Action::scanForLanguages:
        scan(fixedDirectories(m_scannedPaths.manualDirectories),
            m_scannedPaths.commandDirectories.isEmpty()
                ? m_discovery.commandDirectories
                : fixedDirectories(m_scannedPaths.commandDirectories));
        return;
    case Action::scanDiscoveredPaths:
        scan(fixedDirectories(m_discoveredPaths.manualDirectories),
            fixedDirectories(m_discoveredPaths.commandDirectories));
        return;
    case Action::confirmCachedPaths:
        confirmCachedPaths();
        return;
    }
}

void CatalogueLoader::scan(DirectoriesSource manual, DirectoriesSource commands)
{
    QFuture<QStringList> discovered = QtConcurrent::run(&m_discoveryPool, std::move(manual));
    // A page asked for at the start is looked up in these folders while they are scanned.
    if (!m_knownManualDirectories) {
        Futures::whenFinished(discovered, this,
            [this](const QStringList &directories) { setKnownManualDirectories(directories); });
    }
    const QFuture<ScannedCatalogue> scanned = discovered.then(
        QThreadPool::globalInstance(), [languages = m_languages()](const QStringList &directories) {
            return ScannedCatalogue { directories, languages,
                ManIndex::scanWithTranslations(PageLanguages::withTranslations(directories, languages)) };
        });
    Futures::whenFinished(scanned, this, [this, commands = std::move(commands)](ScannedCatalogue scanned) {
        m_scannedPaths.manualDirectories = scanned.directories;
        QSet<QString> knownNames;
        knownNames.reserve(scanned.catalogue.nameCount());
        for (const ManPage &page : scanned.catalogue.pages())
            knownNames.insert(page.name);
        emit catalogueScanned(scanned.catalogue);
        QMetaObject::invokeMethod(
            this,
            [this, knownNames = std::move(knownNames), commands] { scanHelpPages(knownNames, commands); },
            Qt::QueuedConnection);
        handle(Event::scanFinished);
        if (scanned.languages != m_languages())
            handle(Event::languagesChanged);
    });
}

void CatalogueLoader::scanHelpPages(const QSet<QString> &knownNames, DirectoriesSource commands)
{
    const int generation = ++m_helpScanGeneration;
    const QFuture<ScannedHelpPages> scanned
        = QtConcurrent::run(&m_discoveryPool, std::move(commands))
              .then(QThreadPool::globalInstance(), [knownNames](const QStringList &directories) {
                  return ScannedHelpPages { directories, ManIndex::scanCommands(directories, knownNames) };
              });
    Futures::whenFinished(scanned, this, [this, generation](const ScannedHelpPages &scanned) {
        // A scan of older paths or an older catalogue that ends late must not replace a newer one.
        if (generation != m_helpScanGeneration)
            return;
        m_scannedPaths.commandDirectories = scanned.directories;
        rememberScannedPaths();
        emit helpPagesScanned(scanned.helpPages);
    });
}

void CatalogueLoader::confirmCachedPaths()
{
    const QFuture<SearchPathSet> discovery = QtConcurrent::run(&m_discoveryPool,
        [manual = m_discovery.manualDirectories, commands = m_discovery.commandDirectories] {
            return SearchPathSet { manual(), commands() };
        });
    Futures::whenFinished(discovery, this, [this](const SearchPathSet &discovered) {
        m_discoveredPaths = discovered;
        handle(discovered == m_storedPaths ? Event::pathsUnchanged : Event::pathsMoved);
    });
}

void CatalogueLoader::rememberScannedPaths()
{
    if (m_discovery.cacheFile.isEmpty() || m_scannedPaths == m_storedPaths)
        return;
    if (SearchPathCache::write(m_discovery.cacheFile, m_scannedPaths))
        m_storedPaths = m_scannedPaths;
}

void CatalogueLoader::setKnownManualDirectories(const QStringList &directories)
{
    if (m_knownManualDirectories)
        return;
    m_knownManualDirectories = directories;
    emit manualDirectoriesKnown();
}

} // namespace Lectorin
