// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

namespace Lectorin {

inline const QString kInfoURLScheme = QStringLiteral("x-lectorin-info");

// A node of an installed manual; the manual's top page when `node` is "Top".
struct InfoReference
{
    QString manual;
    QString node;

    bool operator==(const InfoReference &) const = default;
};

// Text in a man page that tells the reader to run `info`, and what it would show.
struct InfoTextReference
{
    qsizetype start = 0;
    qsizetype length = 0;
    InfoReference reference;

    bool operator==(const InfoTextReference &) const = default;
};

// The URLs of Info nodes: the program's own "x-lectorin-info://coreutils/ls%20invocation", and the "info:"
// forms other programs and people write.
namespace InfoUrl {

// "x-lectorin-info://" + manual + "/" + node, both percent-encoded (a space as %20). A manual QUrl would not
// keep as a host (capitals, '+', only digits) goes in the path instead: "x-lectorin-info:///Emacs/Top".
QString urlString(const QString &manual, const QString &node);
QUrl url(const QString &manual, const QString &node);

// x-lectorin-info://MANUAL[/NODE], info:MANUAL, info:(MANUAL)NODE, info:(MANUAL),
// info:MANUAL#NODE_WITH_UNDERSCORES; a missing node is Top. Nothing for anything else, an empty or unbalanced
// "(…)" included.
std::optional<InfoReference> parse(const QString &text);
// As above, for a URL as the web engine hands it over.
std::optional<InfoReference> parse(const QUrl &url);

// The `info` commands in man page text: "info '(coreutils) ls invocation'", "info coreutils 'ls invocation'",
// a lone "info grep" on its line, and "The full documentation for sed is maintained as a Texinfo manual"
// (whose "Texinfo manual" leads to sed's). In text order; whether the manual is installed is not checked.
QList<InfoTextReference> findInManPageText(QStringView text);

} // namespace InfoUrl
} // namespace Lectorin
