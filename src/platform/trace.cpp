// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/trace.h"

#include <QFile>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace Lectorin::Trace {
namespace {

// When the kernel started this process, on the boot-time clock, so the figure includes loading libraries.
double processStartMilliseconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces; fields count from the closing parenthesis.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int kStartTimeField = 19; // field 22 of the line
    if (fields.size() <= kStartTimeField)
        return 0;
    return fields.at(kStartTimeField).toDouble() * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double nowMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

} // namespace

bool enabled()
{
    static const bool on = qEnvironmentVariable("LECTORIN_TRACE") == QLatin1String("1");
    return on;
}

void mark(const QString &event)
{
    if (!enabled())
        return;
    static const double start = processStartMilliseconds();
    std::fprintf(stderr, "%.0f %s\n", nowMilliseconds() - start, event.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace Lectorin::Trace
