// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "common/futurewait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

namespace Lectorin::RenderFixtures {

using TestFutures::waitFor;

// A man(7) page source as people write them, with exactly two things mandoc -T lint warns about: the .TH
// line has no date (line 1) and a .PP follows a .SH (line 10).
inline constexpr char kToolPageWithTwoWarnings[] = R"(.TH TOOL 1
.SH NAME
tool \- frobnicate the widgets
.SH SYNOPSIS
.B tool
[\fB\-v\fR]
.I file
\&...
.SH DESCRIPTION
.PP
.B tool
reads each
.I file
and frobnicates it.
.SS Options
.TP
.B \-v
Be verbose.
.SH SEE ALSO
.BR ls (1),
.BR grep (1)
)";

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

// An executable shell script.
inline bool writeScript(const QString &path, const QByteArray &body)
{
    if (!writeFile(path, "#!/bin/sh\n" + body))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

inline ManPage manualPage(const QString &path, const QString &name, const QString &section)
{
    return { name, section, path, name, lowercasedPageName(name) };
}

inline ManPage helpPage(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    return { name, kHelpSection.toString(), executablePath, name, lowercasedPageName(name) };
}

// "greet(1)" in mdoc, with two cross-references.
inline const QByteArray kMdocPage
    = ".Dd January 1, 2024\n.Dt GREET 1\n.Os\n.Sh NAME\n.Nm greet\n.Nd say hello\n"
      ".Sh DESCRIPTION\n.Nm\nprints\n.Ar name .\n"
      ".Sh SEE ALSO\n.Xr ls 1 ,\n.Xr printf 3\n";
// "hello(1)" in man(7), with bold, italic and a non-ASCII letter.
inline const QByteArray kManPage = ".TH HELLO 1 2024-01-01 \"Test\" \"General Commands Manual\"\n.SH NAME\n"
                                   "hello \\- say h\\(:ello\n.SH SYNOPSIS\n.B hello\n.I file\n";

inline bool gzipFile(const QString &path)
{
    return QProcess::execute(QStringLiteral("gzip"), { QStringLiteral("-f"), path }) == 0;
}

} // namespace Lectorin::RenderFixtures
