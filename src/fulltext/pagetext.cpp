// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/pagetext.h"

#include "catalogue/spawnedprocess.h"
#include "render/commandhelp.h"
#include "render/exportdata.h"

#include <QFileInfo>

namespace Lectorin::PageText {
namespace {

// The emphasis marks of search excerpts must never come from a page.
QString withoutControlCharacters(QString text)
{
    text.removeIf([](QChar character) {
        return character.category() == QChar::Other_Control && character != u'\n' && character != u'\t';
    });
    return text;
}

} // namespace

std::optional<QString> renderBlocking(
    const ManPage &page, const QString &formatter, const SpawnedProcess::ResourceLimits &limits)
{
    const QString path = page.path();
    const SpawnedProcess::Result run
        = SpawnedProcess::runBlocking(formatter, ManPageRenderer::textFormatterArguments(path),
            ManPageRenderer::formatterDirectory(path), kFormatterTimeoutMilliseconds, limits);
    using Outcome = SpawnedProcess::Result::Outcome;
    // A page that cannot be started in its folder is not a missing formatter.
    if (run.outcome == Outcome::notStarted && !QFileInfo(formatter).isExecutable())
        return std::nullopt;
    // A page whose formatter hangs or hits its ceilings stays empty until its file changes, rather than
    // costing every run that much.
    if (run.outcome != Outcome::finished || ManPageRenderer::formatterGaveUp(run.exitStatus))
        return QString();
    // Unlike the export, a stray invalid byte only loses itself: the rest of the page stays searchable.
    return withoutControlCharacters(CommandHelp::removeBackspaces(QString::fromUtf8(run.output)));
}

QString nameLine(const QString &text)
{
    QStringList parts;
    bool inName = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (!inName) {
            inName = line.trimmed() == u"NAME" && !line.isEmpty() && !line.front().isSpace();
            continue;
        }
        if (line.trimmed().isEmpty()) {
            if (!parts.isEmpty())
                break;
            continue;
        }
        // The next heading starts at the left margin.
        if (!line.front().isSpace())
            break;
        parts.append(line.trimmed().toString());
    }
    return parts.join(u' ').simplified();
}

} // namespace Lectorin::PageText
