// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/manpagelinkhandler.h"

#include "skeppa/updatechecker.h"
#include "themes/colorschemestore.h"
#include "themes/themelibrary.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

// Settings in a temporary file, a theme library over a test shipped folder and the test-mode user folder,
// a store over both, an unconfigured checker and a link-handler backend that answers from a list.
struct SettingsFixture
{
    SettingsFixture()
    {
        QStandardPaths::setTestModeEnabled(true);
        userThemes = Lectorin::ThemeLibrary::defaultUserThemesDirectory();
        QDir(userThemes).removeRecursively();
        shippedThemes = QDir(directory.filePath(QStringLiteral("resources/Themes")));
        QDir().mkpath(shippedThemes.path());
        settings = std::make_unique<QSettings>(
            directory.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        library = std::make_unique<Lectorin::ThemeLibrary>(shippedThemes.path(), userThemes);
        library->reload();
        store = std::make_unique<Lectorin::ColorSchemeStore>(
            library.get(), settings.get(), [this] { return dark; });
    }

    ~SettingsFixture() { QDir(userThemes).removeRecursively(); }

    Lectorin::ManPageLinkHandler::Backend linkBackend()
    {
        return { [] { return std::optional<Lectorin::ManPageLinkHandler::Handler>(); },
            [] { return QList<Lectorin::ManPageLinkHandler::Handler>(); },
            [](const QString &, QObject *, std::function<void()> done) { done(); } };
    }

    QTemporaryDir directory;
    QTemporaryDir inputs; // files the user picks
    QDir shippedThemes;
    QString userThemes;
    bool dark = false;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<Lectorin::ThemeLibrary> library;
    std::unique_ptr<Lectorin::ColorSchemeStore> store;
    Skeppa::UpdateChecker checker;
};
