// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/annotationsfile.h"

#include <QFileInfo>

namespace Lectorin::AnnotationsFile {

ReadResult parse(const QByteArray &)
{
    return { Status::ok, {}, {} };
}

QByteArray serialize(const Contents &)
{
    return {};
}

Stamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    return { info.exists(), info.lastModified(), info.size() };
}

ReadResult read(const QString &)
{
    return {};
}

} // namespace Lectorin::AnnotationsFile
