// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/notedialog.h"

#include <QFontMetrics>
#include <QInputDialog>

namespace Lectorin::NoteDialog {

void ask(QWidget *parent, const QString &title, const QString &quote, const QString &note,
    std::function<void(const QString &note)> accepted)
{
    auto *dialog = new QInputDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setOption(QInputDialog::UsePlainTextEditForTextInput);
    const QString shown = QFontMetrics(dialog->font()).elidedText(quote.simplified(), Qt::ElideRight, 420);
    dialog->setLabelText(QObject::tr("Note on \u201C%1\u201D:").arg(shown));
    dialog->setTextValue(note);
    dialog->setOkButtonText(QObject::tr("Save"));
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QInputDialog::textValueSelected, dialog,
        [accepted = std::move(accepted)](const QString &text) { accepted(text.trimmed()); });
    dialog->open();
}

} // namespace Lectorin::NoteDialog
