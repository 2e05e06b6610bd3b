#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: manpages.sh RESOURCES LECTORIN-CLI
# The two manual pages have nothing mandoc -T lint reports, and lectorin-cli(1) documents every command and
# option of the program's usage text.
set -eu
resources=$1
cli=$2
failed=0

# Each page names the other, which the machine's own manual database cannot know before they are installed.
messages=$(mandoc -T lint "$resources/lectorin.1" "$resources/lectorin-cli.1" 2>/dev/null |
    grep -v 'referenced manual not found: Xr lectorin\(-cli\)\? 1' || true)
if [ -n "$messages" ]; then
    echo "mandoc -T lint:"
    echo "$messages"
    failed=1
fi

usage=$("$cli" 2>&1 >/dev/null || true)
commands=$(echo "$usage" | sed -n 's/^.*lectorin-cli \([a-z][a-z-]*\).*$/\1/p')
options=$(echo "$usage" | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$commands" ] && [ -n "$options" ] || { echo "no usage text from $cli"; exit 1; }
for command in $commands; do
    grep -q "^\.Cm $command\$" "$resources/lectorin-cli.1" || { echo "lectorin-cli.1 lacks the command $command"; failed=1; }
done
for option in $options; do
    grep -q "Fl -${option#--}\( \|\$\)" "$resources/lectorin-cli.1" || { echo "lectorin-cli.1 lacks $option"; failed=1; }
done
grep -q '^\.Sh EXAMPLES$' "$resources/lectorin-cli.1" || { echo "lectorin-cli.1 has no examples"; failed=1; }
[ "$failed" -eq 0 ] && echo "both pages lint clean; $(echo $commands | wc -w) commands and $(echo $options | wc -w) options documented"
exit "$failed"
