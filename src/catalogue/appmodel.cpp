// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"

#include "catalogue/manindex.h"
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
    loadIndex([this] { setIndexState(IndexState::ready); });
}

void AppModel::refreshIndex()
{
    if (m_indexState != IndexState::ready || m_isRefreshingIndex)
        return;
    setRefreshingIndex(true);
    loadIndex([this] { setRefreshingIndex(false); });
}

void AppModel::loadIndex(std::function<void()> afterPublishing)
{
    const QFuture<Catalogue> scan = QtConcurrent::task(
        [discover = m_discovery.manualDirectories] { return ManIndex::scan(discover()); })
                                        .withPriority(kUserInitiatedPriority)
                                        .spawn();
    Futures::whenFinished(
        scan, this, [this, afterPublishing = std::move(afterPublishing)](Catalogue manualPages) {
            publishCatalogue(std::move(manualPages));
            afterPublishing();
        });
}

void AppModel::publishCatalogue(Catalogue manualPages)
{
    QSet<QString> knownNames;
    knownNames.reserve(manualPages.nameCount());
    for (const ManPage &page : manualPages.pages())
        knownNames.insert(page.name);
    // The previous help pages stay reachable until the new command scan replaces them.
    setCatalogue(manualPages.withHelpPages(m_catalogue.helpPages()));
    Q_EMIT indexLoaded();
    QMetaObject::invokeMethod(
        this, [this, knownNames = std::move(knownNames)] { refreshHelpPages(knownNames); },
        Qt::QueuedConnection);
}

void AppModel::refreshHelpPages(const QSet<QString> &knownNames)
{
    const QFuture<QList<ManPage>> scan
        = QtConcurrent::task([discover = m_discovery.commandDirectories, knownNames] {
              return ManIndex::scanCommands(discover(), knownNames);
          })
              .withPriority(kUtilityPriority)
              .spawn();
    Futures::whenFinished(
        scan, this, [this](QList<ManPage> helpPages) { publishHelpPages(std::move(helpPages)); });
}

void AppModel::publishHelpPages(QList<ManPage> helpPages)
{
    setCatalogue(m_catalogue.withHelpPages(std::move(helpPages)));
    Q_EMIT helpPagesLoaded();
}

void AppModel::setCatalogue(Catalogue catalogue)
{
    const bool pagesDiffer = catalogue.pages() != m_catalogue.pages();
    const bool helpPagesDiffer = catalogue.helpPages() != m_catalogue.helpPages();
    if (!pagesDiffer && !helpPagesDiffer)
        return;
    m_catalogue = std::move(catalogue);
    if (pagesDiffer) {
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
    return *found;
}

std::optional<ManPage> AppModel::page(const QString &id) const
{
    if (const ManPage *found = m_catalogue.page(id))
        return *found;
    return std::nullopt;
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
