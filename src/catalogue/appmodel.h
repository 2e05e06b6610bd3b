// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/manpage.h"
#include "catalogue/pagelanguages.h"
#include "catalogue/searchindex.h"
#include "catalogue/searchpathcache.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

class QSettings;

namespace Lectorin {

// The application-wide model: the catalogue and its load state, the history, the zoom factor, and the
// lookup every other part resolves references with. Lives on the GUI thread; scans run on the pool.
class AppModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(IndexState indexState READ indexState NOTIFY indexStateChanged)
    Q_PROPERTY(QStringList history READ history NOTIFY historyChanged)
    Q_PROPERTY(double fontScale READ fontScale WRITE setFontScale NOTIFY fontScaleChanged)
    Q_PROPERTY(bool isRefreshingIndex READ isRefreshingIndex NOTIFY isRefreshingIndexChanged)
    Q_PROPERTY(bool didRestoreInitialPage READ didRestoreInitialPage WRITE setDidRestoreInitialPage NOTIFY
            didRestoreInitialPageChanged)
    Q_PROPERTY(bool showsTranslatedPages READ showsTranslatedPages WRITE setShowsTranslatedPages NOTIFY
            showsTranslatedPagesChanged)

public:
    enum class IndexState
    {
        loading,
        ready
    };
    Q_ENUM(IndexState)

    // Where the search paths come from; both block, on a pool of their own. Tests pass fixed folders.
    struct Discovery
    {
        std::function<QStringList()> manualDirectories;
        std::function<QStringList()> commandDirectories;
        // Where the last discovered paths are kept between runs; the first load scans them at once and
        // discovers in the background. Empty: every load discovers first.
        QString cacheFile = {};
        // The reader's languages in place of the locale's.
        std::optional<QStringList> languages = {};
        // Whether "Show translated pages when available" decides if the languages are shown; false shows
        // them whatever the setting.
        bool followsTranslationSetting = true;
    };
    static Discovery systemDiscovery();

    static constexpr double kMinFontScale = 0.5;
    static constexpr double kMaxFontScale = 3.0;
    static constexpr qsizetype kHistoryCapacity = 100;

    explicit AppModel(
        QSettings *settings, Discovery discovery = systemDiscovery(), QObject *parent = nullptr);

    IndexState indexState() const { return m_indexState; }
    // Manual pages in catalogue order, and the help pages by name; their lookups are the catalogue's.
    const Catalogue &catalogue() const { return m_catalogue; }
    const QList<ManPage> &pages() const { return m_catalogue.pages(); }
    const QList<ManPage> &helpPages() const { return m_catalogue.helpPages(); }
    const QStringList &history() const { return m_history; }
    // Filter indexes over `pages` and `helpPages`, rebuilt whenever those change.
    const SearchIndex &pagesSearchIndex() const { return m_pagesSearchIndex; }
    const SearchIndex &helpPagesSearchIndex() const { return m_helpPagesSearchIndex; }
    double fontScale() const { return m_fontScale; }
    bool isRefreshingIndex() const { return m_isRefreshingIndex; }
    bool indexLoadStarted() const { return m_indexLoadStarted; }
    bool didRestoreInitialPage() const { return m_didRestoreInitialPage; }
    // The languages whose translations the reader's locale offers, most preferred first.
    const QStringList &readerLanguages() const { return m_readerLanguages; }
    bool showsTranslatedPages() const { return m_showsTranslatedPages; }
    // The translations the catalogue shows in place of untranslated pages, most preferred first.
    QStringList pageLanguages() const;

    void setFontScale(double scale);
    void setDidRestoreInitialPage(bool restored);
    // Stored; the catalogue is scanned again with or without the translations.
    void setShowsTranslatedPages(bool shows);

    // The untranslated page of an identifier whose catalogue page is a translation, found by its file
    // names; nothing when the page is untranslated or its untranslated file cannot be told.
    std::optional<ManPage> untranslatedCopy(const QString &id) const;
    // Whether an identifier shows its untranslated page in place of the catalogue's translation. The choice
    // lasts the session and changes no history; page() and resolvePage() give the copy chosen.
    bool showsUntranslatedCopy(const QString &id) const { return m_untranslatedCopies.contains(id); }
    void setShowsUntranslatedCopy(const QString &id, bool shows);

    // The first call starts the first load; later calls do nothing.
    void loadIndexIfNeeded();
    // A re-scan; dropped while the first load or another re-scan runs.
    void refreshIndex();

    std::optional<ManPage> resolvePage(const QString &name, const std::optional<QString> &section) const;
    // While the first catalogue loads: the page a reference names, found by its file names in the manual
    // folders once they are known (remembered from the last run, or discovered), as the catalogue will
    // resolve it. Nothing when only the catalogue can tell, or before the folders are known.
    std::optional<ManPage> pageBeforeCatalogue(const PageReference &reference) const;
    // The manual or help page of an identifier.
    std::optional<ManPage> page(const QString &id) const;
    // The pages of an exact name, preferred section first; empty when the name is unknown.
    QList<ManPage> pagesNamed(const QString &name) const { return m_catalogue.pagesNamed(name); }

    void recordVisit(const QString &id, bool promote);
    void clearHistory();

Q_SIGNALS:
    void indexStateChanged(Lectorin::AppModel::IndexState state);
    // The manual pages changed (and with them the lookups).
    void pagesChanged();
    // The help pages changed (and with them the lookups).
    void helpPagesChanged();
    void historyChanged(const QStringList &history);
    void fontScaleChanged(double scale);
    void isRefreshingIndexChanged(bool refreshing);
    void didRestoreInitialPageChanged(bool restored);
    void showsTranslatedPagesChanged(bool shows);
    // The copy an identifier shows changed: translated or untranslated.
    void shownCopyChanged(const QString &id);
    // After a load has published its catalogue (the help pages follow later).
    void indexLoaded();
    // After a command-path scan has published its help pages.
    void helpPagesLoaded();
    // The first load's manual folders are known: pageBeforeCatalogue can answer from now on.
    void manualDirectoriesKnown();

private:
    using DirectoriesSource = std::function<QStringList()>;

    void loadIndex(
        DirectoriesSource manual, DirectoriesSource commands, std::function<void()> afterPublishing);
    void publishCatalogue(Catalogue manualPages, DirectoriesSource commands);
    void refreshHelpPages(const QSet<QString> &knownNames, DirectoriesSource commands);
    void publishHelpPages(QList<ManPage> helpPages);
    void confirmCachedPaths();
    void adoptDiscoveredPaths(const SearchPathSet &discovered);
    void rememberScannedPaths();
    void setKnownManualDirectories(const QStringList &directories);
    void setCatalogue(Catalogue catalogue);
    void setIndexState(IndexState state);
    void setRefreshingIndex(bool refreshing);
    void setHistory(QStringList history);
    void rescanForLanguages();
    void refreshUntranslatedCopies();
    ManPage shownCopy(const ManPage &page) const;

    QSettings *m_settings;
    Discovery m_discovery;
    // Discovery waits on login shells for seconds; renders on the global pool must not queue behind it.
    QThreadPool m_discoveryPool;
    // The folders behind the catalogue shown, and what the cache file holds.
    SearchPathSet m_scannedPaths;
    std::optional<QStringList> m_knownManualDirectories;
    std::optional<SearchPathSet> m_storedPaths;
    int m_helpScanGeneration = 0;
    IndexState m_indexState = IndexState::loading;
    Catalogue m_catalogue;
    SearchIndex m_pagesSearchIndex;
    SearchIndex m_helpPagesSearchIndex;
    QStringList m_history;
    double m_fontScale = 1.0;
    bool m_isRefreshingIndex = false;
    bool m_indexLoadStarted = false;
    bool m_didRestoreInitialPage = false;
    QStringList m_readerLanguages;
    bool m_showsTranslatedPages = true;
    // By identifier: the untranslated pages shown in place of the catalogue's translations.
    QHash<QString, ManPage> m_untranslatedCopies;
};

} // namespace Lectorin
