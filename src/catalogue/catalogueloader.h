// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/cataloguediscovery.h"
#include "catalogue/searchpathcache.h"

#include <QObject>
#include <QSet>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace Lectorin {

// Discovers the search paths, scans the catalogue and its help pages, and decides every scan after the
// first: one asked for, one for changed languages, one for remembered paths that moved. Lives on the GUI
// thread; discovery and scans run on pools.
class CatalogueLoader : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        unloaded,
        firstLoad,
        firstLoadFromCache,
        idle,
        // The remembered paths are shown while discovery runs again to confirm them.
        confirming,
        rescanning,
        rescanningWhileConfirming,
    };
    Q_ENUM(State)
    enum class Event
    {
        loadRequested,
        loadRequestedWithCachedPaths,
        refreshRequested,
        languagesChanged,
        scanFinished,
        pathsUnchanged,
        pathsMoved,
    };
    Q_ENUM(Event)
    enum class Action
    {
        none,
        discoverAndScan,
        scanCachedPaths,
        scanForLanguages,
        scanDiscoveredPaths,
        confirmCachedPaths,
    };
    Q_ENUM(Action)
    struct Transition
    {
        State next;
        Action action = Action::none;
        bool operator==(const Transition &) const = default;
    };
    static Transition transition(State state, Event event);

    // `languages` gives the translations a scan starting now takes.
    CatalogueLoader(
        CatalogueDiscovery discovery, std::function<QStringList()> languages, QObject *parent = nullptr);
    // Stops the discovery that runs, and waits only for what it had started.
    ~CatalogueLoader() override;

    State state() const { return m_state; }
    bool isReady() const;
    bool isRescanning() const;
    // The manual folders behind the catalogue shown.
    const QStringList &scannedManualDirectories() const { return m_scannedPaths.manualDirectories; }
    // The first load's manual folders, once known.
    const std::optional<QStringList> &knownManualDirectories() const { return m_knownManualDirectories; }

    // The first call starts the first load; later calls do nothing.
    void loadIfNeeded();
    void refresh();
    // The translations to show changed; a scan follows when none runs.
    void languagesChanged();

signals:
    void stateChanged(Lectorin::CatalogueLoader::State state);
    // A scan's manual pages, in catalogue order without help pages.
    void catalogueScanned(const Lectorin::Catalogue &manualPages);
    // A command-path scan's help pages, for the newest catalogue.
    void helpPagesScanned(const QList<Lectorin::ManPage> &helpPages);
    void manualDirectoriesKnown();

private:
    using DirectoriesSource = std::function<QStringList()>;

    void handle(Event event);
    void perform(Action action);
    void scan(DirectoriesSource manual, DirectoriesSource commands);
    void scanHelpPages(const QSet<QString> &knownNames, DirectoriesSource commands);
    void confirmCachedPaths();
    void rememberScannedPaths();
    void setKnownManualDirectories(const QStringList &directories);

    CatalogueDiscovery m_discovery;
    std::function<QStringList()> m_languages;
    // Discovery waits on login shells for seconds; renders on the global pool must not queue behind it.
    QThreadPool m_discoveryPool;
    State m_state = State::unloaded;
    // The folders behind the catalogue shown, what the cache file holds, and what confirmation found.
    SearchPathSet m_scannedPaths;
    std::optional<SearchPathSet> m_storedPaths;
    SearchPathSet m_discoveredPaths;
    std::optional<QStringList> m_knownManualDirectories;
    int m_helpScanGeneration = 0;
};

} // namespace Lectorin
