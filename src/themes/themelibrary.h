// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "themes/tmtheme.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace Lectorin {

// The colour schemes there are: the built-in "Default" (no theme), the shipped .tmTheme files and the ones
// the user imported. Entries are known by name; parsed themes are cached by name.
class ThemeLibrary : public QObject
{
    Q_OBJECT

public:
    struct Entry
    {
        enum class Kind
        {
            bundled,
            user,
            builtin
        };

        QString name;
        Kind kind = Kind::builtin;
        // The theme file; empty for the built-in entry.
        QString filePath;

        bool operator==(const Entry &) const = default;
    };

    static const QString kDefaultName;

    // Shipped themes are the .tmTheme files of `shippedThemesDirectory`, or of its parent folder when it
    // holds none; imported ones live in `userThemesDirectory`. The list starts empty until reload().
    ThemeLibrary(
        const QString &shippedThemesDirectory, const QString &userThemesDirectory, QObject *parent = nullptr);

    // The process's library over the installed "Themes" resources and the user's data folder, loaded once,
    // when first asked for an entry or a theme other than the default (a page in the default colours, the
    // common case, needs neither the folders nor the collator).
    static ThemeLibrary &shared();
    // Where imported themes live: "Lectorin/Themes" in the user's data folder (XDG_DATA_HOME, by default
    // ~/.local/share).
    static QString defaultUserThemesDirectory();

    const QList<Entry> &entries();
    QString userThemesDirectory() const { return m_userThemesDirectory; }

    void reload();
    std::optional<TMTheme> theme(const QString &name);
    // Copies a readable theme file into the user folder under a free name and returns that name.
    std::optional<QString> importTheme(const QString &filePath);
    // Deletes a user entry's file; other kinds are left alone.
    void remove(const Entry &entry);

signals:
    void entriesChanged();

private:
    QList<Entry> shippedEntries() const;
    void loadIfDeferred();
    bool isTaken(const QString &name) const;

    QString m_shippedThemesDirectory;
    QString m_userThemesDirectory;
    QList<Entry> m_entries;
    QHash<QString, TMTheme> m_paletteCache;
    bool m_loadDeferred = false;
};

} // namespace Lectorin
