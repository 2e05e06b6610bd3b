// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/optionjump.h"

#include <QRegularExpression>

namespace Lectorin::OptionJump {

QString script()
{
    return QStringLiteral(R"js(
const spellings = (term) => (term.getAttribute("data-lectorin-option") || "").split(" ");
const terms = Array.from(document.querySelectorAll("[data-lectorin-option]"));
let element = terms.find((term) => term.id === target)
    || terms.find((term) => spellings(term).includes(target));
if (!element && target.startsWith("--") && target.length > 2) {
    const prefixed = terms.filter((term) => spellings(term).some((spelled) => spelled.startsWith(target)));
    if (prefixed.length === 1)
        element = prefixed[0];
}
element = element || document.getElementById(target);
if (!element)
    return false;
element.scrollIntoView({ block: "start" });
// Again from the start when the same element is marked twice.
element.classList.remove("lectorin-marked");
void element.offsetWidth;
element.classList.add("lectorin-marked");
return true;
)js");
}

QString caretBeforeDefinitionScript()
{
    return QStringLiteral(R"js(
const term = Array.from(document.querySelectorAll("[data-lectorin-option]"))
    .find((candidate) => candidate.getAttribute("data-lectorin-option").split(" ").includes(target));
if (!term)
    return false;
const range = document.createRange();
range.setStart(term, 0);
range.collapse(true);
const selection = window.getSelection();
selection.removeAllRanges();
selection.addRange(range);
return true;
)js");
}

bool looksLikeOption(QStringView word)
{
    static const QRegularExpression option(QStringLiteral("^(?:--?|\\+)[A-Za-z0-9?@#][^\\s]*$"));
    return option.match(word).hasMatch();
}

std::optional<PageAndOption> split(QStringView text)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\S+)\\s+(\\S+)\\s*$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch() || !looksLikeOption(match.capturedView(2)))
        return std::nullopt;
    // "--exclude=PATTERN" jumps to --exclude.
    const QString option = match.captured(2).section(u'=', 0, 0);
    return PageAndOption { match.captured(1), option };
}

} // namespace Lectorin::OptionJump
