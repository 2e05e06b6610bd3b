// SPDX-License-Identifier: GPL-3.0-or-later
// Resident memory a 100,000-page catalogue adds: the process before the scan, after ManIndex::scan, and after
// the sidebar's filter index over it. The tree is written by a first run, which then measures in a fresh
// process so that nothing freed by the writing lingers in the heap:
//   lectorin-memory-bench [PAGES]        writes a synthetic tree and measures it
//   lectorin-memory-bench --root DIR     measures an existing manual folder
#include "synthetictree.h"

#include "catalogue/manindex.h"
#include "catalogue/searchindex.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>

using namespace Lectorin;

namespace {

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

int measure(const QString &root)
{
    const double before = residentMegabytes();
    const Catalogue catalogue = ManIndex::scan({ root });
    const double scanned = residentMegabytes();
    const SearchIndex index(catalogue.pages());
    const double indexed = residentMegabytes();
    std::printf("pages %lld\nrss-before-mb %.1f\nscan-added-mb %.1f\nsearch-index-added-mb %.1f\n"
                "catalogue-added-mb %.1f\n",
        qlonglong(catalogue.pages().size()), before, scanned - before, indexed - scanned, indexed - before);
    return index.size() == catalogue.pages().size() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--root"))
        return measure(arguments.at(1));
    const int pages = arguments.isEmpty() ? 100000 : arguments.first().toInt();
    const SyntheticTree tree(pages);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--root"), tree.root() });
    child.waitForFinished(-1);
    return child.exitCode();
}
