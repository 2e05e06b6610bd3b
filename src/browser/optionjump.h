// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Scrolling a page to one of its definitions and marking it: by anchor ("exclude", "SYNOPSIS") or by the
// option as one types it ("--exclude", "-x", "--excl").
namespace Lectorin::OptionJump {

// The body for ScriptCall: finds the element `target` names (its id, else the option term it spells, else
// the one term a long prefix spells), scrolls it to the top and marks it; returns whether one was found.
QString script();

// The body for ScriptCall: puts the caret just before the term that spells `target` exactly, so that a find
// that starts there meets the definition before the mentions; returns whether there was one.
QString caretBeforeDefinitionScript();

// Whether a word is typed as an option: "-x", "--exclude", "+x"; a lone dash is not.
bool looksLikeOption(QStringView word);

// "tar --exclude", "ls -l", "printf(3) -v": the page and the option to jump to; nothing when the text is not
// a reference followed by one option word.
struct PageAndOption
{
    QString page;
    QString option;
    bool operator==(const PageAndOption &) const = default;
};
std::optional<PageAndOption> split(QStringView text);

} // namespace Lectorin::OptionJump
