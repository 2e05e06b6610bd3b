// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Paths as Linux stores them: bytes, nearly always UTF-8. QFile::decodeName turns any other byte into U+FFFD,
// and the file can then no longer be named. These keep such a byte as the lone surrogate U+DC80 + (byte −
// 0x80), which no valid UTF-8 decodes to, so encode() gives back the very bytes decode() was given.
namespace Lectorin::FileNames {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView path);
bool isUtf8(QByteArrayView bytes);

} // namespace Lectorin::FileNames
