// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/applicationactions.h"
#include "ui/contentview.h"

#include <QList>
#include <QObject>

#include <functional>
#include <QPointer>
#include <QUrl>

#include <memory>

class QSettings;
class QWebEnginePage;

namespace SkeppaUI {
class UpdateCommands;
}

namespace Lectorin {

class AnnotationStore;
class AppModel;
class FullTextIndexer;
class HelpController;
class MainWindow;
class SettingsWindowController;
class SystemAppearance;

// The application: the one AppModel, the full-text indexer that follows it, the one store of bookmarks and
// highlights, the main windows, the settings and help windows, and the references that arrive from the
// command line or a second start.
class LectorinApp : public QObject, public ApplicationActions
{
    Q_OBJECT

public:
    // The annotations live in `annotationsFile`, AnnotationStore::defaultFilePath() when empty.
    LectorinApp(QSettings *settings, SystemAppearance *appearance, const QString &annotationsFile = {},
        QObject *parent = nullptr);
    ~LectorinApp() override;

    AppModel &model() const { return *m_model; }
    AnnotationStore &annotations() const { return *m_annotations; }
    // Null when this SQLite has no full-text search.
    FullTextIndexer *indexer() const { return m_indexer; }
    QList<MainWindow *> windows() const;
    SettingsWindowController *settingsWindow() const { return m_settingsWindow; }
    HelpController *help() const { return m_help; }

    // Opens a main window, cascaded from `inheritedFrame` when one is given.
    MainWindow *openWindow(std::optional<QString> pageID, std::optional<QRect> inheritedFrame);
    // Shows each reference in the active main window (a new one when none is open).
    void openReferences(const QStringList &references);
    // A second start: shows its references, or without any brings the most recent main window to the front
    // (opening one when only the help or settings window is open).
    void activate(const QStringList &references, const QString &activationToken = {});

    // A command-line reference as a man page URL: "x-man-page://…", "x-lectorin-man://…", "name" or
    // "name(section)".
    static std::optional<QUrl> referenceURL(const QString &reference);

    void newWindow(MainWindow *from) override;
    void showSettings() override;
    void showHelp() override;
    QAction *checkForUpdatesAction() override;
    void exportNotes(MainWindow *from) override;

    // Asks where to save a file: `parent`, the dialog's title, the proposed path; empty when cancelled. A
    // file dialog unless replaced (tests name the file).
    using SaveFileChooser
        = std::function<QString(QWidget *parent, const QString &title, const QString &proposed)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }

private:
    // The active main window, else the one active most recently.
    MainWindow *activeWindow() const;
    void applyDarkAppearance(bool dark);
    // Tells once, without stopping anyone, that the annotations file could not be read and was put aside.
    void reportAnnotationsProblem();
    // The descriptions, the Info topics and the full-text pass wait while the first page loads: on a machine
    // of few cores they would take the processor from it.
    void setBackgroundWorkHeld(bool held);
    void releaseBackgroundWorkWhenPainted(QWebEnginePage *page);

    QSettings *m_settings;
    SystemAppearance *m_appearance;
    std::unique_ptr<AppModel> m_model;
    AnnotationStore *m_annotations;
    SaveFileChooser m_chooseSaveFile;
    QString m_reportedProblem;
    FullTextIndexer *m_indexer = nullptr;
    ContentView::Services m_services;
    QList<QPointer<MainWindow>> m_windows;
    SettingsWindowController *m_settingsWindow = nullptr;
    HelpController *m_help = nullptr;
    SkeppaUI::UpdateCommands *m_updateCommands = nullptr;
};

} // namespace Lectorin
