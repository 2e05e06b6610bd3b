// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// A catalogue for the window tests: mdoc pages in "<dir>/man", a command "lsx" with only --help output in
// "<dir>/bin", a login shell that names both, and the Info folder "<dir>/info".
namespace WindowFixtures {

struct Page
{
    QByteArray name;
    QByteArray section;
    QByteArray description;
};

inline void writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

inline QByteArray mdocPage(const Page &page)
{
    return ".Dd January 1, 2026\n.Dt " + page.name.toUpper() + " " + page.section + "\n.Os\n.Sh NAME\n.Nm "
        + page.name + "\n.Nd " + page.description + "\n.Sh DESCRIPTION\nSee\n.Xr printf 3 .\n";
}

inline void writeCatalogue(const QTemporaryDir &dir, const QList<Page> &pages)
{
    const QString man = dir.filePath("man");
    for (const Page &page : pages)
        writeFile(man + "/man" + QString::fromUtf8(page.section) + "/" + page.name + "." + page.section,
            mdocPage(page));
    const auto executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    writeFile(dir.filePath("bin/lsx"), "#!/bin/sh\necho 'usage: lsx [-a]'\n", executable);
    qputenv("SHELL", dir.filePath("shell").toUtf8());
    // No Info manuals but the ones a test writes: the machine's would join the lists and the index.
    qputenv("INFOPATH", dir.filePath("info").toUtf8());
    writeFile(dir.filePath("shell"),
        "#!/bin/sh\ncase \"$3\" in manpath) echo " + man.toUtf8() + ";; *) echo "
            + dir.filePath("bin").toUtf8() + ";; esac\n",
        executable);
}

} // namespace WindowFixtures
