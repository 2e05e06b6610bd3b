// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/infolibraryloader.h"

#include "catalogue/infonodes.h"
#include "catalogue/whenfinished.h"

#include <QtConcurrent>

#include <utility>

namespace Lectorin {

InfoLibraryLoader::InfoLibraryLoader(std::function<QStringList()> directories, QObject *parent)
    : QObject(parent)
    , m_directories(std::move(directories))
{ }

void InfoLibraryLoader::load()
{
    if (m_isLoading)
        return;
    m_isLoading = true;
    Futures::whenFinished(QtConcurrent::run([directories = m_directories] {
        const QStringList folders = directories ? directories() : QStringList();
        return std::pair { folders, InfoPath::scan(folders) };
    }),
        this, [this](const std::pair<QStringList, InfoLibrary> &scanned) {
            m_scannedDirectories = scanned.first;
            const InfoLibrary &library = scanned.second;
            const bool changed = !m_isLoaded || library != m_library;
            m_isLoaded = true;
            m_library = library;
            if (changed)
                emit libraryChanged();
            m_topicsHeld.run([this] { loadTopics(); });
        });
}

void InfoLibraryLoader::loadTopics()
{
    struct Read
    {
        QList<InfoFilter::Topic> topics;
        QList<ManPage> nodePages;
    };
    Futures::whenFinished(QtConcurrent::run([manuals = m_library.manuals] {
        Read read;
        for (const InfoManual &manual : manuals) {
            const std::optional<InfoDocument> document = InfoDocument::load(manual.path);
            if (!document)
                continue;
            read.topics += InfoFilter::topicsOf(manual, *document);
            for (const QString &node : document->nodeNames())
                read.nodePages.append(InfoNodes::page(manual, node));
        }
        return read;
    }),
        this, [this](const Read &read) {
            m_isLoading = false;
            const bool first = !std::exchange(m_topicsLoaded, true);
            if (!first && read.topics == m_topics && read.nodePages == m_nodePages)
                return;
            m_topics = read.topics;
            m_nodePages = read.nodePages;
            emit topicsChanged();
        });
}

std::optional<ManPage> InfoLibraryLoader::page(const QString &pageName) const
{
    return InfoNodes::pageIn(m_library, m_scannedDirectories, pageName);
}

} // namespace Lectorin
