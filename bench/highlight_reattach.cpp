// SPDX-License-Identifier: GPL-3.0-or-later
// Highlights made on installed manual pages, found again after each page's source was changed the way a
// package upgrade changes it; prints how each came back and how many landed on the wrong text.
//   lectorin-highlight-reattach [--highlights N] [--seed S] [--manroot DIR]
// One highlight a page: a whole source line of plain text whose words occur once in the rendered page. Pages
// are taken in turn from man1, man5 and man8 in a shuffled order; .so stubs, mdoc pages and pages mandoc
// cannot render are passed over. The five changes take turns; each knows where the highlight must land.
#include "pagechanges.h"

#include "annotations/highlightanchoring.h"
#include "annotations/htmlpagetext.h"
#include "annotations/textmatching.h"
#include "render/manpagerenderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <optional>
#include <random>

using namespace Lectorin;
using TextMatching::Span;

namespace {

struct Tally
{
    std::map<Attachment, int> attachments;
    int wrong = 0;
    int total = 0;
};

std::optional<QString> readSource(const QString &path)
{
    QProcess reader;
    if (path.endsWith(QLatin1String(".gz")))
        reader.start(QStringLiteral("gzip"), { QStringLiteral("-dc"), path });
    else
        reader.start(QStringLiteral("cat"), { path });
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// man(7) pages that stand alone: no .so stub, no included file.
bool isOwnManPage(const QStringList &lines)
{
    bool title = false;
    bool section = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String(".so")) || line.startsWith(QLatin1String(".Dd")))
            return false;
        title = title || line.startsWith(QLatin1String(".TH"));
        section = section || line.startsWith(QLatin1String(".SH"));
    }
    return title && section;
}

std::optional<PageText> render(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(lines.join(u'\n').toUtf8() + '\n') < 0)
        return std::nullopt;
    file.close();
    QFutureWatcher<ManPageRenderer::RenderResult> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(ManPageRenderer::renderFile(path, std::nullopt, 1.0));
    if (!watcher.isFinished())
        loop.exec();
    const ManPageRenderer::RenderResult result = watcher.result();
    if (!result.succeeded())
        return std::nullopt;
    PageText page = HtmlPageText::read(result.document);
    if (page.sections.isEmpty())
        return std::nullopt;
    return page;
}

// How often the words of `phrase` occur in a row in `text`, case and punctuation aside. A highlight whose
// words occur twice has no single right place once one copy is gone: the other, with the same words and often
// the same context, is as good a match (pages repeat passages for parallel subcommands).
qsizetype wordOccurrences(QStringView text, QStringView phrase)
{
    const QList<TextMatching::Word> words = TextMatching::words(text);
    const QList<TextMatching::Word> pattern = TextMatching::words(phrase);
    qsizetype count = 0;
    for (qsizetype i = 0; !pattern.isEmpty() && i + pattern.size() <= words.size(); ++i) {
        qsizetype j = 0;
        while (j < pattern.size() && words.at(i + j).key == pattern.at(j).key)
            ++j;
        count += j == pattern.size() ? 1 : 0;
    }
    return count;
}

// Landed on the text it should have: most of either span is the other's.
bool landedRight(const HighlightAnchoring::Placement &placement, const Span &expected)
{
    const qsizetype overlap = std::min(placement.start + placement.length, expected.end)
        - std::max(placement.start, expected.start);
    return overlap * 2 >= std::max(placement.length, expected.length());
}

QStringList pageFiles(const QString &root, std::mt19937 &random)
{
    QList<QStringList> folders;
    for (const char *folder : { "man1", "man5", "man8" }) {
        QStringList files;
        const QDir directory(root + u'/' + QLatin1String(folder));
        for (const QString &name : directory.entryList(QDir::Files, QDir::Name))
            files.append(directory.filePath(name));
        std::shuffle(files.begin(), files.end(), random);
        folders.append(files);
    }
    QStringList interleaved;
    for (qsizetype i = 0;
         std::any_of(folders.cbegin(), folders.cend(), [i](const auto &f) { return i < f.size(); }); ++i) {
        for (const QStringList &files : std::as_const(folders)) {
            if (i < files.size())
                interleaved.append(files.at(i));
        }
    }
    return interleaved;
}

const char *attachmentName(Attachment attachment)
{
    static const char *const names[] = { "exact", "moved", "changed", "notFound" };
    return names[int(attachment)];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const auto option = [&](const char *name, const QString &fallback) {
        const qsizetype at = arguments.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
    };
    const int wanted = option("--highlights", QStringLiteral("200")).toInt();
    std::mt19937 random(option("--seed", QStringLiteral("20240309")).toUInt());
    const QString root = option("--manroot", QStringLiteral("/usr/share/man"));

    QTemporaryDir work;
    QDir().mkpath(work.filePath(QStringLiteral("man/man1")));
    std::map<PageChanges::Change, Tally> tallies;
    QList<std::pair<TextQuote, PageText>> placed;
    qint64 placeNanoseconds = 0;
    int pagesRead = 0;
    int made = 0;
    for (const QString &file : pageFiles(root, random)) {
        if (made == wanted)
            break;
        const std::optional<QString> source = readSource(file);
        if (!source)
            continue;
        const QStringList lines = source->split(u'\n');
        const QList<qsizetype> candidates = PageChanges::highlightableLines(lines);
        if (!isOwnManPage(lines) || candidates.isEmpty())
            continue;
        ++pagesRead;
        const QString path = work.filePath(QStringLiteral("man/man1/page.1"));
        const std::optional<PageText> before = render(path, lines);
        if (!before)
            continue;
        const qsizetype line = candidates.at(random() % candidates.size());
        const QList<Span> original = TextMatching::occurrences(before->text, lines.at(line).simplified());
        if (original.size() != 1 || wordOccurrences(before->text, lines.at(line)) != 1)
            continue;
        const PageChanges::Change change = PageChanges::kChanges[made % std::size(PageChanges::kChanges)];
        const std::optional<PageChanges::Changed> changed = PageChanges::apply(change, lines, line, random);
        const std::optional<PageText> after = changed ? render(path, changed->lines) : std::nullopt;
        if (!after || after->text == before->text)
            continue;
        // The place it must land on, once, or no trace of it when the change deleted it.
        const QList<Span> expected = TextMatching::occurrences(after->text,
            changed->expected.isEmpty() ? lines.at(line).simplified() : changed->expected.simplified());
        if (expected.size() != (changed->expected.isEmpty() ? 0 : 1))
            continue;

        const TextQuote quote
            = HighlightAnchoring::quoteAt(*before, original.first().start, original.first().length());
        QElapsedTimer timer;
        timer.start();
        const HighlightAnchoring::Placement placement = HighlightAnchoring::place(*after, quote);
        placeNanoseconds += timer.nsecsElapsed();
        const bool wrong = placement.attachment != Attachment::notFound
            && (expected.isEmpty() || !landedRight(placement, expected.first()));
        Tally &tally = tallies[change];
        ++tally.attachments[placement.attachment];
        tally.wrong += wrong ? 1 : 0;
        ++tally.total;
        ++made;
        placed.append({ quote, *after });
        if (wrong) {
            std::fprintf(stderr, "WRONG %s (%s): \"%s\" -> \"%s\"\n", qPrintable(QFileInfo(file).fileName()),
                PageChanges::nameOf(change), qPrintable(quote.exact.simplified()),
                qPrintable(after->text.mid(placement.start, placement.length).simplified()));
        }
    }

    std::printf(
        "highlights %d on %d pages read (of man1, man5, man8 under %s)\n", made, pagesRead, qPrintable(root));
    std::printf("%-26s %6s %6s %6s %8s %9s %6s\n", "change", "total", "exact", "moved", "changed", "notFound",
        "WRONG");
    Tally all;
    for (const auto &[change, tally] : tallies) {
        std::printf("%-26s %6d %6d %6d %8d %9d %6d\n", PageChanges::nameOf(change), tally.total,
            tally.attachments.count(Attachment::exact) ? tally.attachments.at(Attachment::exact) : 0,
            tally.attachments.count(Attachment::moved) ? tally.attachments.at(Attachment::moved) : 0,
            tally.attachments.count(Attachment::changed) ? tally.attachments.at(Attachment::changed) : 0,
            tally.attachments.count(Attachment::notFound) ? tally.attachments.at(Attachment::notFound) : 0,
            tally.wrong);
        for (const auto &[attachment, count] : tally.attachments)
            all.attachments[attachment] += count;
        all.wrong += tally.wrong;
        all.total += tally.total;
    }
    std::printf("%-26s %6d", "all", all.total);
    for (Attachment attachment :
        { Attachment::exact, Attachment::moved, Attachment::changed, Attachment::notFound })
        std::printf(" %*d",
            attachment == Attachment::changed        ? 8
                : attachment == Attachment::notFound ? 9
                                                     : 6,
            all.attachments[attachment]);
    std::printf(" %6d\n", all.wrong);
    std::printf("place-ms %.2f total, %.3f a highlight\n", placeNanoseconds / 1e6,
        made ? placeNanoseconds / 1e6 / made : 0.0);

    // The worst case for speed: one page of a megabyte, made of the changed pages one after another, and the
    // highlights that need the search for reworded text (those of the last two changes).
    PageText large;
    for (const auto &[quote, page] : std::as_const(placed)) {
        for (const PageSection &section : page.sections)
            large.sections.append({ large.text.size() + section.start, section.title });
        large.text += page.text;
        if (large.text.size() >= 1 << 20)
            break;
    }
    QList<TextQuote> hard;
    for (qsizetype i = 0; i < placed.size() && hard.size() < 50; ++i) {
        const PageChanges::Change change = PageChanges::kChanges[i % std::size(PageChanges::kChanges)];
        if (change == PageChanges::Change::rewordOwn || change == PageChanges::Change::deleteParagraph)
            hard.append(placed.at(i).first);
    }
    QElapsedTimer timer;
    timer.start();
    std::map<Attachment, int> largeAttachments;
    for (const TextQuote &quote : std::as_const(hard))
        ++largeAttachments[HighlightAnchoring::place(large, quote).attachment];
    std::printf("large page %lld characters, %lld reworded or deleted highlights: place-ms %.1f (",
        qlonglong(large.text.size()), qlonglong(hard.size()), timer.nsecsElapsed() / 1e6);
    for (const auto &[attachment, count] : largeAttachments)
        std::printf(" %s %d", attachmentName(attachment), count);
    std::printf(" )\n");
    return all.wrong == 0 ? 0 : 1;
}
