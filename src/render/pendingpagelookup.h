// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"

#include <QObject>
#include <QPointer>

#include <optional>

namespace Lectorin {

class AppModel;

// Finds the page a requested reference names, waiting while the answer may still change: for the first
// catalogue (answered early from the file names once the manual folders are known, and after
// kCatalogueWaitMilliseconds with what the catalogue holds by then), and, when the catalogue shown lacks the
// page, for the discovery that is confirming or refreshing it. GUI thread only.
class PendingPageLookup : public QObject
{
    Q_OBJECT

public:
    static constexpr int kCatalogueWaitMilliseconds = 10000;

    // The model is held weakly: without it the page is not found.
    PendingPageLookup(QPointer<AppModel> app, PageReference reference, QObject *parent = nullptr);

    // Emits `finished` now when the answer is certain, else once it is.
    void start();

signals:
    // Once per lookup.
    void finished(const std::optional<Lectorin::ManPage> &page);

private:
    bool findBeforeCatalogue();
    void findInCatalogue();
    void finish(const std::optional<ManPage> &page);

    QPointer<AppModel> m_app;
    PageReference m_reference;
    bool m_finished = false;
};

} // namespace Lectorin
