// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/appmodel.h"
#include "catalogue/manpage.h"
#include "fulltext/fulltextsearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace Lectorin::FullTextFixtures {

inline bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList idsOf(const QList<FullTextHit> &hits)
{
    QStringList ids;
    for (const FullTextHit &hit : hits)
        ids.append(hit.id);
    return ids;
}

inline QStringList idsFound(const QString &indexPath, const QString &filter)
{
    return idsOf(FullTextSearch::searchBlocking(indexPath, filter));
}

inline QByteArray mdocPage(
    const QString &name, const QString &section, const QString &description, const QString &body)
{
    return QStringLiteral(".Dd January 1, 2024\n.Dt %1 %2\n.Os\n.Sh NAME\n.Nm %3\n.Nd %4\n"
                          ".Sh DESCRIPTION\n%5\n")
        .arg(name.toUpper(), section, name, description, body)
        .toUtf8();
}

// A manual tree in a temporary folder: "<root>/man<section>/<name>.<section>" files and their pages.
class ManualTree
{
public:
    QString root() const { return m_directory.path(); }
    QString indexPath() const { return m_directory.path() + QStringLiteral("/cache/fulltext.sqlite"); }
    QString pathOf(const QString &name, const QString &section) const
    {
        return root() + QStringLiteral("/man%1/%2.%1").arg(section.left(1), name);
    }

    ManPage add(const QString &name, const QString &section, const QString &description, const QString &body)
    {
        const QString path = pathOf(name, section);
        writeFile(path, mdocPage(name, section, description, body));
        ManPage page { name, section, path, name, lowercasedPageName(name) };
        m_pages.append(page);
        return page;
    }
    void forget(const QString &name)
    {
        m_pages.removeIf([&](const ManPage &p) { return p.name == name; });
    }
    const QList<ManPage> &pages() const { return m_pages; }

    // A model over the tree, with a settings file of its own; `languages` stand for the reader's locale.
    std::unique_ptr<AppModel> makeModel(std::optional<QStringList> languages = std::nullopt)
    {
        m_settings
            = std::make_unique<QSettings>(root() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        const QString manual = root();
        return std::make_unique<AppModel>(m_settings.get(),
            AppModel::Discovery { [manual] { return QStringList { manual }; }, [] { return QStringList(); },
                QString(), languages });
    }

    // An executable shell script in the tree.
    QString script(const QString &name, const QByteArray &body) const
    {
        const QString path = root() + QStringLiteral("/bin/") + name;
        writeFile(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private:
    QTemporaryDir m_directory;
    QList<ManPage> m_pages;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace Lectorin::FullTextFixtures
