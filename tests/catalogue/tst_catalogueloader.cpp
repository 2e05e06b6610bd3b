// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogueloader.h"

#include <QTest>

using namespace Lectorin;

using State = CatalogueLoader::State;
using Event = CatalogueLoader::Event;
using Action = CatalogueLoader::Action;

class CatalogueLoaderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void transition_data();
    void transition(); // table: state and event -> next state and what starts
};

void CatalogueLoaderTest::transition_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<Event>("event");
    QTest::addColumn<State>("next");
    QTest::addColumn<Action>("action");
    const auto row = [](const char *tag, State state, Event event, State next, Action action) {
        QTest::newRow(tag) << state << event << next << action;
    };
    // The first load: from the remembered paths when there are some, and only once.
    row("first load discovers", State::unloaded, Event::loadRequested, State::firstLoad,
        Action::discoverAndScan);
    row("first load from cache", State::unloaded, Event::loadRequestedWithCachedPaths,
        State::firstLoadFromCache, Action::scanCachedPaths);
    row("load again while loading", State::firstLoad, Event::loadRequested, State::firstLoad, Action::none);
    row("load again when idle", State::idle, Event::loadRequestedWithCachedPaths, State::idle, Action::none);
    row("first load ends", State::firstLoad, Event::scanFinished, State::idle, Action::none);
    row("cached load ends: confirm", State::firstLoadFromCache, Event::scanFinished, State::confirming,
        Action::confirmCachedPaths);

    // A re-scan asked for: dropped before the first catalogue and while another runs.
    row("refresh before any load", State::unloaded, Event::refreshRequested, State::unloaded, Action::none);
    row("refresh during first load", State::firstLoad, Event::refreshRequested, State::firstLoad,
        Action::none);
    row("refresh when idle", State::idle, Event::refreshRequested, State::rescanning,
        Action::discoverAndScan);
    row("refresh while confirming", State::confirming, Event::refreshRequested,
        State::rescanningWhileConfirming, Action::discoverAndScan);
    row("refresh while rescanning", State::rescanning, Event::refreshRequested, State::rescanning,
        Action::none);
    row("rescan ends", State::rescanning, Event::scanFinished, State::idle, Action::none);
    row("rescan ends, confirmation pending", State::rescanningWhileConfirming, Event::scanFinished,
        State::confirming, Action::none);

    // Changed languages: a scan now when none runs; a running one checks when it ends.
    row("languages before any load", State::unloaded, Event::languagesChanged, State::unloaded, Action::none);
    row("languages during first load", State::firstLoadFromCache, Event::languagesChanged,
        State::firstLoadFromCache, Action::none);
    row("languages when idle", State::idle, Event::languagesChanged, State::rescanning,
        Action::scanForLanguages);
    row("languages while confirming", State::confirming, Event::languagesChanged,
        State::rescanningWhileConfirming, Action::scanForLanguages);
    row("languages while rescanning", State::rescanning, Event::languagesChanged, State::rescanning,
        Action::none);

    // Confirmed paths: a scan of the discovered ones only when they moved and nothing else scans.
    row("paths unchanged", State::confirming, Event::pathsUnchanged, State::idle, Action::none);
    row("paths moved", State::confirming, Event::pathsMoved, State::rescanning, Action::scanDiscoveredPaths);
    row("paths moved during a rescan", State::rescanningWhileConfirming, Event::pathsMoved, State::rescanning,
        Action::none);
    row("paths unchanged during a rescan", State::rescanningWhileConfirming, Event::pathsUnchanged,
        State::rescanning, Action::none);
    row("paths without a confirmation", State::idle, Event::pathsMoved, State::idle, Action::none);
    row("scan end without a scan", State::idle, Event::scanFinished, State::idle, Action::none);
}

void CatalogueLoaderTest::transition()
{
    QFETCH(State, state);
    QFETCH(Event, event);
    QFETCH(State, next);
    QFETCH(Action, action);
    QCOMPARE(CatalogueLoader::transition(state, event), (CatalogueLoader::Transition { next, action }));
}

QTEST_GUILESS_MAIN(CatalogueLoaderTest)
#include "tst_catalogueloader.moc"
