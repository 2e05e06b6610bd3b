// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cliarguments.h"
#include "catalogue/appmodel.h"
#include "catalogue/manpage.h"
#include "catalogue/pagelanguages.h"
#include "info/infopath.h"

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace Lectorin::Cli {

// The application model loaded the way the program loads it, help pages included; `--manpath` and `--path`
// replace discovery. Reads the user's settings but never writes them. The manual folders are found when it
// is made, the catalogue is loaded on the first call of model().
class LoadedModel
{
public:
    explicit LoadedModel(const Arguments &arguments);

    AppModel &model();
    // The model once every Info node has been read too, for the full-text index.
    AppModel &modelWithInfoNodes();
    // Whether model() has loaded the catalogue.
    bool isLoaded() const { return m_loaded; }
    // What the settings hold (the zoom factor), without loading the catalogue.
    const AppModel &unloadedModel() const { return *m_model; }
    const QStringList &manualDirectories() const { return m_manualDirectories; }
    // Those folders with the translation folders of the languages shown, translations first.
    QList<PageLanguages::ManualRoot> manualRoots() const;
    // The Info folders: `--infopath` read as INFOPATH is, else the environment's.
    const QStringList &infoDirectories() const { return m_infoDirectories; }
    // How long finding the manual folders took.
    double discoveryMilliseconds() const { return m_discoveryMilliseconds; }

private:
    QSettings m_settings;
    QStringList m_manualDirectories;
    QStringList m_infoDirectories;
    double m_discoveryMilliseconds = 0;
    std::unique_ptr<AppModel> m_model;
    bool m_loaded = false;
};

// The translations `--lang` asks for ("none": none); nothing when it is not given. Prints the reason and
// returns false when its value is no language.
bool checkLanguageOption(const Arguments &arguments);
std::optional<QStringList> languagesOption(const Arguments &arguments);
// The translations shown: `--lang`'s, else the locale's unless the setting turns them off. Finds no folders.
QStringList pageLanguages(const Arguments &arguments);

// "name", "name(section)", or a man page URL (x-lectorin-man or x-man-page) read as the web view reads it.
std::optional<PageReference> referenceFrom(const QString &text);

// The future's result, with the event loop running until it finishes; a default value when it has none.
template<typename T>
T await(const QFuture<T> &future)
{
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    return future.resultCount() > 0 ? future.result() : T {};
}

// The page a reference names: by its file names when they tell, else from the catalogue.
std::optional<ManPage> pageFor(LoadedModel &loaded, const PageReference &reference);

// Writes `text` as UTF-8.
void printText(const QString &text, FILE *stream);
// "No manual entry for “NAME”" on stderr.
void printNoEntry(const QString &name);

} // namespace Lectorin::Cli
