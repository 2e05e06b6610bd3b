// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/heldcall.h"
#include "catalogue/pagedescriptions.h"
#include "catalogue/spawnedprocess.h"

#include <QFuture>
#include <QObject>
#include <QStringList>

#include <memory>

namespace Lectorin {

// The programs that know the descriptions: man-db's index search and its NAME-section reader.
struct DescriptionTools
{
    QString apropos = QStringLiteral("apropos");
    QString lexgrog = QStringLiteral("lexgrog");
    int timeoutMilliseconds = 20000;
};

// Gathers the descriptions of a catalogue's pages in the background: man-db's index first, then the NAME
// section of each page it does not know, read once per file version and remembered in a cache file.
class PageDescriptionLoader : public QObject
{
    Q_OBJECT

public:
    // `cacheFile` empty: nothing is remembered between runs.
    explicit PageDescriptionLoader(QString cacheFile, QObject *parent = nullptr);
    // Ends the programs that run and waits for the thread that ran them.
    ~PageDescriptionLoader() override;

    const PageDescriptions &descriptions() const { return m_descriptions; }
    // A newer load drops what an older one would still deliver.
    void load(const QList<ManPage> &pages, const QStringList &manualDirectories);
    // While held, a load waits; released, the latest one asked for starts. A load under way goes on.
    void setHeld(bool held);

    // The whole gathering, blocking; the command-line tool uses it as it stands.
    static PageDescriptions gather(const QList<ManPage> &pages, const QStringList &manualDirectories,
        const QString &cacheFile, const DescriptionTools &tools = {},
        const SpawnedProcess::Cancellation *cancellation = nullptr);

signals:
    void descriptionsChanged();

private:
    void gatherInBackground(const QList<ManPage> &pages, const QStringList &manualDirectories);

    QString m_cacheFile;
    PageDescriptions m_descriptions;
    std::shared_ptr<SpawnedProcess::Cancellation> m_cancellation;
    QFuture<void> m_running;
    int m_generation = 0;
    HeldCall m_held;
};

} // namespace Lectorin
