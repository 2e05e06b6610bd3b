// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF export from HTML: the rich text import and the RTF writer over any document. The writer promises
// plain ASCII output.
#include "render/exportdata.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto result = Lectorin::ManPageRenderer::rtfFromHTML(
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const char c : result.data) {
        if (static_cast<unsigned char>(c) > 0x7f)
            __builtin_trap();
    }
    return 0;
}
