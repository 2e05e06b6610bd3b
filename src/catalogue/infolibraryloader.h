// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/heldcall.h"
#include "catalogue/infofilter.h"
#include "catalogue/manpage.h"
#include "info/infopath.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace Lectorin {

// The installed Info manuals, found in the background beside the catalogue and never in its way. GUI thread.
class InfoLibraryLoader : public QObject
{
    Q_OBJECT

public:
    // `directories` blocks (it may read the environment or the disk); empty: no manuals.
    explicit InfoLibraryLoader(std::function<QStringList()> directories, QObject *parent = nullptr);

    const InfoLibrary &library() const { return m_library; }
    // The manuals' index entries and node names; they follow the library, read from every manual.
    const QList<InfoFilter::Topic> &topics() const { return m_topics; }
    // A page for every node of every manual, manual after manual, for the full-text index.
    const QList<ManPage> &nodePages() const { return m_nodePages; }
    // The first reading of topics and node pages has finished.
    bool areTopicsLoaded() const { return m_topicsLoaded; }
    bool isLoaded() const { return m_isLoaded; }
    // A look at the folders again; the first call is the first load.
    void load();
    // While held, the topics of a library found wait; released, they are read.
    void setTopicsHeld(bool held) { m_topicsHeld.setHeld(held); }

    // The page of a node "(manual)node" or of the manuals' directory "(dir)Top", for a manual installed.
    std::optional<ManPage> page(const QString &pageName) const;

signals:
    // The first load finished, or a later one found other manuals.
    void libraryChanged();
    // The topics and node pages were read for the first time, or changed.
    void topicsChanged();

private:
    void loadTopics();

    std::function<QStringList()> m_directories;
    QStringList m_scannedDirectories;
    InfoLibrary m_library;
    QList<InfoFilter::Topic> m_topics;
    QList<ManPage> m_nodePages;
    bool m_isLoaded = false;
    bool m_topicsLoaded = false;
    bool m_isLoading = false;
    HeldCall m_topicsHeld;
};

} // namespace Lectorin
