// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/pagesection.h"
#include "catalogue/manpage.h"

#include <QList>
#include <QObject>
#include <QString>

namespace Lectorin {

class AppModel;
class ManWebPage;

// What follows each successful load of a window's page: the catalogue page it shows is named, the outline is
// read from the document and the references the catalogue confirms become links. A page loaded before the
// catalogue could name it is named when the catalogue is ready. GUI thread only.
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
    const QList<PageSection> &outline() const { return m_outline; }

Q_SIGNALS:
    // A load showed the catalogue page `id`; `isVisit` is false for reloads, which leave the history alone.
    void pageIdentified(const QString &id, bool isVisit);
    // A load showed no page of the catalogue.
    void pageUnidentified();
    void outlineChanged();
    // After the inferred links of a load were added (or none were found).
    void linksInferred();

private:
    void loadDidFinish();
    void catalogueBecameReady();
    void refreshOutline();
    void setOutline(QList<PageSection> outline);
    void inferLinks(const ManPage &shown);

    ManWebPage *m_page;
    AppModel *m_app;
    Shown m_shown = Shown::nothing;
    QList<PageSection> m_outline;
};

} // namespace Lectorin
