// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"

#include "catalogue/searchpaths.h"
#include "catalogue/settingsvalues.h"

#include <QSettings>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>

namespace Lectorin {
namespace {

const QString kHistoryKey = QStringLiteral("history");
const QString kFontScaleKey = QStringLiteral("viewerFontScale");

// Priorities for the pool: the catalogue is what the user waits for, the command scan can trail it.
constexpr int kUserInitiatedPriority = 1;
constexpr int kUtilityPriority = -1;

} // namespace

AppModel::Discovery AppModel::systemDiscovery()
{
    return { SearchPaths::manualDirectories, SearchPaths::commandDirectories };
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
    loadIndex().then(this, [this] { setIndexState(IndexState::ready); });
}

void AppModel::refreshIndex()
{
    if (m_indexState != IndexState::ready || m_isRefreshingIndex)
        return;
    setRefreshingIndex(true);
    loadIndex().then(this, [this] { setRefreshingIndex(false); });
}

QFuture<void> AppModel::loadIndex()
{
    return QtConcurrent::task(
        [discover = m_discovery.manualDirectories] { return ManIndex::scan(discover()); })
        .withPriority(kUserInitiatedPriority)
        .spawn()
        .then(this, [this](ManIndex::Data data) { publishCatalogue(std::move(data)); });
}

void AppModel::publishCatalogue(ManIndex::Data data)
{
    const QList<QString> names = data.byName.keys();
    QSet<QString> knownNames(names.cbegin(), names.cend());

    // The previous help pages stay reachable until the new command scan replaces them.
    mergeHelpPages(m_helpPages, data.byID, data.byName);
    if (data.pages != m_pages) {
        m_pages = std::move(data.pages);
        Q_EMIT pagesChanged();
    }
    setLookups(std::move(data.byID), std::move(data.byName));
    Q_EMIT indexLoaded();
    QMetaObject::invokeMethod(
        this, [this, knownNames = std::move(knownNames)] { refreshHelpPages(knownNames); },
        Qt::QueuedConnection);
}

void AppModel::refreshHelpPages(const QSet<QString> &knownNames)
{
    QtConcurrent::task([discover = m_discovery.commandDirectories, knownNames] {
        return ManIndex::scanCommands(discover(), knownNames);
    })
        .withPriority(kUtilityPriority)
        .spawn()
        .then(this, [this](QList<ManPage> helpPages) { publishHelpPages(std::move(helpPages)); });
}

void AppModel::publishHelpPages(QList<ManPage> helpPages)
{
    QSet<QString> newIDs;
    for (const ManPage &page : std::as_const(helpPages))
        newIDs.insert(page.id());

    QHash<QString, ManPage> byID = m_pagesByID;
    QHash<QString, QList<ManPage>> byName = m_pagesByName;
    for (const ManPage &old : std::as_const(m_helpPages)) {
        if (newIDs.contains(old.id()))
            continue;
        byID.remove(old.id());
        const auto named = byName.constFind(old.name);
        if (named != byName.cend() && named->constFirst().isHelpPage())
            byName.remove(old.name);
    }
    mergeHelpPages(helpPages, byID, byName);
    if (helpPages != m_helpPages) {
        m_helpPages = std::move(helpPages);
        Q_EMIT helpPagesChanged();
    }
    setLookups(std::move(byID), std::move(byName));
    Q_EMIT helpPagesLoaded();
}

void AppModel::mergeHelpPages(const QList<ManPage> &helpPages, QHash<QString, ManPage> &byID,
    QHash<QString, QList<ManPage>> &byName) const
{
    for (const ManPage &page : helpPages) {
        const QString id = page.id();
        if (!byID.contains(id))
            byID.insert(id, page);
        if (!byName.contains(page.name))
            byName.insert(page.name, QList<ManPage> { page });
    }
}

void AppModel::setLookups(QHash<QString, ManPage> byID, QHash<QString, QList<ManPage>> byName)
{
    if (byID != m_pagesByID) {
        m_pagesByID = std::move(byID);
        Q_EMIT pagesByIDChanged();
    }
    if (byName != m_pagesByName) {
        m_pagesByName = std::move(byName);
        Q_EMIT pagesByNameChanged();
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
    if (section) {
        const auto exact = m_pagesByID.constFind(*section + u'/' + name);
        if (exact != m_pagesByID.cend())
            return *exact;
    }
    const auto named = m_pagesByName.constFind(name);
    if (named == m_pagesByName.cend() || named->isEmpty())
        return std::nullopt;
    if (section) {
        for (const ManPage &candidate : *named) {
            if (candidate.section.startsWith(*section))
                return candidate;
        }
    }
    return named->constFirst();
}

std::optional<ManPage> AppModel::page(const QString &id) const
{
    const auto found = m_pagesByID.constFind(id);
    if (found == m_pagesByID.cend())
        return std::nullopt;
    return *found;
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
