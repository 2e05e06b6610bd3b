// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A manual tree of empty page files in a temporary folder, shaped like a large real one: sections 1-9, n, l,
// 3pm and 3x, names repeated across sections, names with "-", "_", "." and "::".
class SyntheticTree
{
public:
    explicit SyntheticTree(int pageCount);

    QString root() const { return m_directory.path(); }
    // The folders a scan lists: the root and its man* subdirectories.
    QStringList listedFolders() const;
    QStringList sampleNames() const { return m_sampleNames; }

private:
    QTemporaryDir m_directory;
    QStringList m_sampleNames;
};
