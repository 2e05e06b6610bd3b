// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandlinerules.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace Lectorin::CommandLineRules {
namespace {

const QHash<QString, Prefix> &prefixTable()
{
    static const QHash<QString, Prefix> table {
        { QStringLiteral("builtin"), {} },
        { QStringLiteral("chroot"), { 1 } },
        { QStringLiteral("chrt"), { 1 } },
        { QStringLiteral("command"), {} },
        { QStringLiteral("doas"), {} },
        { QStringLiteral("eatmydata"), {} },
        { QStringLiteral("env"), { 0, true } },
        { QStringLiteral("exec"), {} },
        { QStringLiteral("fakeroot"), {} },
        { QStringLiteral("flock"), { 1 } },
        { QStringLiteral("ionice"), {} },
        { QStringLiteral("ltrace"), {} },
        { QStringLiteral("nice"), {} },
        { QStringLiteral("nohup"), {} },
        { QStringLiteral("nsenter"), {} },
        { QStringLiteral("pkexec"), {} },
        { QStringLiteral("runuser"), {} },
        { QStringLiteral("setsid"), {} },
        { QStringLiteral("stdbuf"), {} },
        { QStringLiteral("strace"), {} },
        { QStringLiteral("sudo"), {} },
        { QStringLiteral("taskset"), { 1 } },
        { QStringLiteral("time"), {} },
        { QStringLiteral("timeout"), { 1 } },
        { QStringLiteral("unshare"), {} },
        { QStringLiteral("valgrind"), {} },
        { QStringLiteral("watch"), {} },
        { QStringLiteral("xargs"), {} },
    };
    return table;
}

} // namespace

const Prefix *prefix(const QString &commandName)
{
    const auto found = prefixTable().constFind(commandName);
    return found == prefixTable().constEnd() ? nullptr : &*found;
}

bool isSkippedKeyword(const QString &word)
{
    static const QSet<QString> keywords { QStringLiteral("!"), QStringLiteral("{"), QStringLiteral("}"),
        QStringLiteral("if"), QStringLiteral("then"), QStringLiteral("else"), QStringLiteral("elif"),
        QStringLiteral("fi"), QStringLiteral("do"), QStringLiteral("done"), QStringLiteral("while"),
        QStringLiteral("until"), QStringLiteral("esac") };
    return keywords.contains(word);
}

bool startsOperands(const QString &word)
{
    static const QSet<QString> keywords { QStringLiteral("for"), QStringLiteral("select"),
        QStringLiteral("case"), QStringLiteral("function"), QStringLiteral("[[") };
    return keywords.contains(word);
}

bool isAssignment(const QString &word)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    return pattern.match(word).hasMatch();
}

bool looksLikeSubcommand(const QString &word)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_-]*$"));
    return word.size() <= kMaxNameLength && pattern.match(word).hasMatch();
}

QString commandName(const QString &word)
{
    const QString name = word.mid(word.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name.size() > kMaxNameLength || name.startsWith(u'-'))
        return QString();
    for (const QChar c : name) {
        if (c.isSpace() || !c.isPrint() || c == u'$' || c == u'`' || c == u'=')
            return QString();
    }
    return name;
}

} // namespace Lectorin::CommandLineRules
