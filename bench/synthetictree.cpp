// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthetictree.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <array>

namespace {

constexpr std::array kSyllables { "ls", "git", "x", "log", "cat", "net", "ssl", "perl", "py", "gtk", "qt",
    "zip", "find", "grep", "sys", "mk", "conf", "d", "ctl", "tool", "Xm", "lib", "io", "re" };
constexpr std::array kSeparators { "", "", "-", "_", ".", "::" };
constexpr std::array kSections { "1", "2", "3", "4", "5", "6", "7", "8", "9", "n", "l", "3pm", "3x" };

QString folderFor(const QString &section)
{
    return QStringLiteral("man") + section.left(1);
}

} // namespace

SyntheticTree::SyntheticTree(int pageCount)
{
    QRandomGenerator random(20261207);
    for (const char *section : kSections)
        QDir(m_directory.path()).mkpath(folderFor(QString::fromLatin1(section)));
    int written = 0;
    for (int serial = 0; written < pageCount; ++serial) {
        QString name;
        const int parts = 1 + int(random.bounded(3));
        for (int part = 0; part < parts; ++part) {
            if (part > 0)
                name += QString::fromLatin1(kSeparators[random.bounded(int(kSeparators.size()))]);
            name += QString::fromLatin1(kSyllables[random.bounded(int(kSyllables.size()))]);
        }
        name += QString::number(serial);
        if (serial % 997 == 0)
            m_sampleNames.append(name);
        // About one name in eight appears in a second section.
        const int copies = random.bounded(8) == 0 ? 2 : 1;
        for (int copy = 0; copy < copies && written < pageCount; ++copy, ++written) {
            const QString section = QString::fromLatin1(kSections[random.bounded(int(kSections.size()))]);
            QFile file(
                m_directory.path() + u'/' + folderFor(section) + u'/' + name + u'.' + section + u".gz");
            file.open(QIODevice::WriteOnly);
        }
    }
}

QStringList SyntheticTree::listedFolders() const
{
    QStringList folders { root() };
    for (const QString &entry : QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders.append(root() + u'/' + entry);
    return folders;
}
