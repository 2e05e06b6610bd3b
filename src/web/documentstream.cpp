// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/documentstream.h"

#include <algorithm>
#include <cstring>

namespace Lectorin {
namespace {

qsizetype topSize(const QByteArray &document)
{
    if (document.size() <= DocumentStream::kTopBytes)
        return document.size();
    const qsizetype lineEnd = document.indexOf('\n', DocumentStream::kTopBytes);
    return lineEnd < 0 ? document.size() : lineEnd + 1;
}

} // namespace

DocumentStream::DocumentStream(QByteArray document, QObject *parent)
    : QIODevice(parent)
    , m_document(std::move(document))
    , m_readable(topSize(m_document))
{
    open(QIODevice::ReadOnly);
    if (isReleased())
        return;
    m_hold.setSingleShot(true);
    connect(&m_hold, &QTimer::timeout, this, &DocumentStream::release);
    m_hold.start(kLongestHoldMilliseconds);
}

void DocumentStream::release()
{
    if (isReleased())
        return;
    m_hold.stop();
    m_readable = m_document.size();
    emit readyRead();
    emit readChannelFinished();
}

qint64 DocumentStream::bytesAvailable() const
{
    return m_readable - m_read + QIODevice::bytesAvailable();
}

bool DocumentStream::atEnd() const
{
    return m_read == m_document.size() && QIODevice::bytesAvailable() == 0;
}

qint64 DocumentStream::readData(char *data, qint64 maxSize)
{
    if (m_read == m_document.size())
        return -1;
    const qint64 count = std::min<qint64>(maxSize, m_readable - m_read);
    std::memcpy(data, m_document.constData() + m_read, count);
    m_read += count;
    return count;
}

qint64 DocumentStream::writeData(const char *, qint64)
{
    return -1;
}

} // namespace Lectorin
