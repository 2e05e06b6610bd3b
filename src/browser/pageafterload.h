// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/outlineentry.h"
#include "catalogue/manpage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>

namespace Lectorin {

class AppModel;
class ManWebPage;

// What follows each successful load of a window's page: the catalogue page it shows is named and, once its
// document is on the screen, the outline is read from it and the references the catalogue confirms become
// links. A page loaded before the catalogue could name it is named when the catalogue is ready. GUI thread
// only.
class PageAfterLoad : public QObject
{
    Q_OBJECT

public:
    // What the loaded document is to the catalogue.
    enum class Shown
    {
        // Nothing yet, another load is on its way, or a document the catalogue does not hold.
        nothing,
        // A man page URL the loading catalogue cannot name yet.
        awaitingCatalogue,
        cataloguePage
    };

    // `page` and `app` must outlive this object.
    PageAfterLoad(ManWebPage *page, AppModel *app, QObject *parent);

    Shown shown() const { return m_shown; }
    const QList<OutlineEntry> &outline() const { return m_outline; }

Q_SIGNALS:
    // A load showed the catalogue page `id`; `isVisit` is false for reloads, which leave the history alone.
    void pageIdentified(const QString &id, bool isVisit);
    // A page shown before the catalogue could name it, and left before it came, is `id`: a visit to record
    // before the page shown now.
    void earlierVisitIdentified(const QString &id);
    // A load showed no page of the catalogue.
    void pageUnidentified();
    void outlineChanged();
    // After the inferred links of a load were added (or none were found).
    void linksInferred();

private:
    void loadDidStart();
    void loadDidFinish();
    void identifyPage();
    void readDocument();
    void catalogueBecameReady();
    // Runs `body` in the page; `done` hears its result only while the same document is shown.
    void callInDocument(
        const QString &body, const QVariantMap &arguments, std::function<void(const QVariant &)> done = {});
    void refreshOutline();
    void setOutline(QList<OutlineEntry> outline);
    void inferLinks(const ManPage &shown);
    void linkInfoReferences(const ManPage &shown);

    ManWebPage *m_page;
    AppModel *m_app;
    // Counts the loads, so that the results of scripts sent to an earlier document are dropped.
    int m_generation = 0;
    // Whether the document of the load under way has reported its first paint; a finished load waits for it.
    bool m_painted = false;
    QTimer m_paintWait;
    // The catalogue page the loaded document shows, for the scripts that wait for its paint.
    std::optional<ManPage> m_shownPage;
    Shown m_shown = Shown::nothing;
    // While awaiting the catalogue: the page shown, if the load was a visit, and those left before it.
    std::optional<PageReference> m_awaitedVisit;
    QList<PageReference> m_visitsBeforeCatalogue;
    QList<OutlineEntry> m_outline;
};

} // namespace Lectorin
