// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The small window that asks for a highlight's note: a text box under the highlighted text. It does not
// block: `accepted` gets the note when the reader confirms.
namespace Lectorin::NoteDialog {

void ask(QWidget *parent, const QString &title, const QString &quote, const QString &note,
    std::function<void(const QString &note)> accepted);

} // namespace Lectorin::NoteDialog
