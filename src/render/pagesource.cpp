// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/pagesource.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLocale>
#include <QStringBuilder>

namespace Lectorin::PageSource {
namespace {

// Enough of a file to tell text from binary.
constexpr qint64 kSniffBytes = 64 * 1024;

QString quoted(const QString &path)
{
    return u'\u201C' % path % u'\u201D';
}

bool isGzip(const QByteArray &head)
{
    return head.startsWith("\x1f\x8b");
}

bool isHeading(QByteArrayView line)
{
    // The control character may be followed by blanks before the macro name.
    if (line.isEmpty() || (line.front() != '.' && line.front() != '\''))
        return false;
    line = line.sliced(1).trimmed();
    if (line.size() < 2)
        return false;
    const QByteArrayView name = line.first(2);
    const bool named = name == "SH" || name == "SS" || name == "Sh" || name == "Ss";
    return named && (line.size() == 2 || line.at(2) == ' ' || line.at(2) == '\t');
}

} // namespace

std::optional<QString> problem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return quoted(path) % u" doesn\u2019t exist.";
    if (!info.exists())
        return quoted(path) % u" is a link to a file that doesn\u2019t exist.";
    if (info.isDir())
        return quoted(path) % u" is a folder, not a page file.";
    if (!info.isFile())
        return quoted(path)
            % u" isn\u2019t a regular file (a device, a pipe or a socket), so it can\u2019t be shown.";
    if (info.size() > kMaxPreviewBytes) {
        const QLocale locale;
        return quoted(path) % u" is too large to be a page source (" % locale.formattedDataSize(info.size())
            % u"; the limit is " % locale.formattedDataSize(kMaxPreviewBytes) % u").";
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return quoted(path) % u" can\u2019t be read: " % file.errorString() % u'.';
    const QByteArray head = file.read(kSniffBytes);
    if (!isGzip(head) && head.contains('\0'))
        return quoted(path) % u" is a binary file, not a page source.";
    return std::nullopt;
}

std::optional<int> headingIndexBefore(const QByteArray &source, int line)
{
    std::optional<int> found;
    int headings = 0;
    int number = 0;
    for (const QByteArray &text : source.split('\n')) {
        if (++number > line)
            break;
        if (isHeading(text))
            found = headings++;
    }
    return found;
}

} // namespace Lectorin::PageSource
