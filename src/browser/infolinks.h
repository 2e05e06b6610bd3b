// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>

namespace Lectorin {
class AppModel;
}

// The `info` commands a man page names ("info '(coreutils) ls invocation'", "info grep", "… is maintained as
// a Texinfo manual"), linked to the node when its manual is installed.
namespace Lectorin::InfoLinks {

// Returns, for each unlinked text node that mentions info, [its number among those nodes, its text, the text
// of the block it is in, where it starts there].
QString collectScript();
// Takes `links`: [node number, start, length, URL] lists, and wraps each range in a link.
QString linkScript();

// The links of the collected candidates whose manuals `app` has; empty when `candidates` is malformed.
QVariantList confirm(const QVariant &candidates, const AppModel &app);

} // namespace Lectorin::InfoLinks
