// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QTimer>

namespace Lectorin {

// A document handed to the engine in two parts: its top, enough for a first screen, at once, and the rest
// once that top is on the screen. The engine parses a long document given whole to its end before it paints
// anything; given only its top, it paints that first.
class DocumentStream : public QIODevice
{
    Q_OBJECT

public:
    // Opened for reading. Without `release()` the rest follows after `kLongestHoldMilliseconds`, for a
    // document that is never painted (a page not on the screen) or whose report is lost.
    DocumentStream(QByteArray document, QObject *parent);

    // The size of the top: the line that reaches past this many bytes is its last, so that the engine's
    // first screen of a page is whole lines.
    static constexpr qsizetype kTopBytes = 32 * 1024;
    static constexpr int kLongestHoldMilliseconds = 1000;

    // Hands over the rest of the document. Safe to call more than once.
    void release();
    bool isReleased() const { return m_readable == m_document.size(); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    bool atEnd() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    QByteArray m_document;
    qsizetype m_readable;
    qsizetype m_read = 0;
    QTimer m_hold;
};

} // namespace Lectorin
