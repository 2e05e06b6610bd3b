// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/cataloguediscovery.h"
#include "catalogue/infofilter.h"
#include "catalogue/manpage.h"
#include "catalogue/pagedescriptions.h"
#include "catalogue/pagehistory.h"
#include "catalogue/searchindex.h"
#include "info/infopath.h"

#include <QObject>
#include <QStringList>

#include <optional>

class QSettings;

namespace Lectorin {

class CatalogueLoader;
class InfoLibraryLoader;
class PageDescriptionLoader;
class TranslationChoices;

// The application-wide model: the catalogue and its load state, the history, the zoom factor, and the
// lookup every other part resolves references with. Loading, the history and the translation choices are
// parts of their own; this joins them for the rest of the program. Lives on the GUI thread.
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

    using Discovery = CatalogueDiscovery;
    static Discovery systemDiscovery();

    static constexpr double kMinFontScale = 0.5;
    static constexpr double kMaxFontScale = 3.0;
    static constexpr qsizetype kHistoryCapacity = PageHistory::kCapacity;

    explicit AppModel(
        QSettings *settings, Discovery discovery = systemDiscovery(), QObject *parent = nullptr);

    IndexState indexState() const { return m_indexState; }
    // Manual pages in catalogue order, and the help pages by name; their lookups are the catalogue's.
    const Catalogue &catalogue() const { return m_catalogue; }
    const QList<ManPage> &pages() const { return m_catalogue.pages(); }
    const QList<ManPage> &helpPages() const { return m_catalogue.helpPages(); }
    const QStringList &history() const { return m_history->identifiers(); }
    // The pages' one-line descriptions; they arrive in the background after each scan.
    const PageDescriptions &descriptions() const;
    // The installed Info manuals, found beside the catalogue; empty until the first look has finished.
    const InfoLibrary &infoLibrary() const;
    bool isInfoLibraryLoaded() const;
    // The index entries and node names of every manual, for the sidebar's filter.
    const QList<InfoFilter::Topic> &infoTopics() const;
    // A page for every info node, for the full-text index; with the topics.
    const QList<ManPage> &infoNodePages() const;
    bool areInfoTopicsLoaded() const;
    // Filter indexes over `pages` and `helpPages`, rebuilt whenever those change.
    const SearchIndex &pagesSearchIndex() const { return m_pagesSearchIndex; }
    const SearchIndex &helpPagesSearchIndex() const { return m_helpPagesSearchIndex; }
    double fontScale() const { return m_fontScale; }
    bool isRefreshingIndex() const { return m_isRefreshingIndex; }
    bool indexLoadStarted() const;
    // Loaded, with no discovery or scan running that may still change the catalogue: remembered search paths
    // are confirmed, no refresh runs.
    bool isCatalogueSettled() const;
    bool didRestoreInitialPage() const { return m_didRestoreInitialPage; }
    // The languages whose translations the reader's locale offers, most preferred first.
    const QStringList &readerLanguages() const;
    bool showsTranslatedPages() const;
    // The translations the catalogue shows in place of untranslated pages, most preferred first.
    QStringList pageLanguages() const;

    void setFontScale(double scale);
    void setDidRestoreInitialPage(bool restored);
    // Held, the descriptions of a new catalogue and the Info manuals' topics are read only once released.
    void setBackgroundWorkHeld(bool held);
    // Stored; the catalogue is scanned again with or without the translations.
    void setShowsTranslatedPages(bool shows);

    // The untranslated page of an identifier whose catalogue page is a translation, found by its file
    // names; nothing when the page is untranslated or its untranslated file cannot be told.
    std::optional<ManPage> untranslatedCopy(const QString &id) const;
    // Whether an identifier shows its untranslated page in place of the catalogue's translation. The choice
    // lasts the session and changes no history; page() and resolvePage() give the copy chosen.
    bool showsUntranslatedCopy(const QString &id) const;
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
    // The manual or help page of an identifier, or the info node of "info/(manual)node".
    std::optional<ManPage> page(const QString &id) const;
    // The pages of an exact name, preferred section first; empty when the name is unknown.
    QList<ManPage> pagesNamed(const QString &name) const { return m_catalogue.pagesNamed(name); }

    void recordVisit(const QString &id, bool promote);
    void clearHistory();

signals:
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
    // isCatalogueSettled became true.
    void catalogueSettled();
    void descriptionsChanged();
    void infoLibraryChanged();
    void infoTopicsChanged();

private:
    void publishCatalogue(const Catalogue &manualPages);
    void publishHelpPages(const QList<ManPage> &helpPages);
    void followLoader();
    void setCatalogue(Catalogue catalogue);
    void setIndexState(IndexState state);
    void setRefreshingIndex(bool refreshing);

    QSettings *m_settings;
    TranslationChoices *m_translations;
    PageHistory *m_history;
    PageDescriptionLoader *m_descriptions;
    InfoLibraryLoader *m_info;
    bool m_describesPages;
    CatalogueLoader *m_loader;
    IndexState m_indexState = IndexState::loading;
    Catalogue m_catalogue;
    SearchIndex m_pagesSearchIndex;
    SearchIndex m_helpPagesSearchIndex;
    double m_fontScale = 1.0;
    bool m_isRefreshingIndex = false;
    bool m_didRestoreInitialPage = false;
};

} // namespace Lectorin
