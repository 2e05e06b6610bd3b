#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: package.sh SOURCE-DIR
# Builds the Debian package with scripts/package (which fails on lintian errors), unpacks it into a temporary
# folder and runs what it holds: the command-line tool, its manual pages and the desktop entry.
set -eu
cd "$1"
./scripts/package
deb=$(ls -t build/release/lectorin_*.deb | head -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
export HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" XDG_CACHE_HOME="$root/home/.cache"
failed=0
check() {
    if "$@"; then echo "ok: $description"; else echo "FAILED: $description"; failed=1; fi
}

description="control fields"
check sh -c "dpkg-deb -f '$deb' Section | grep -qx doc &&
    dpkg-deb -f '$deb' Depends | grep -q 'mandoc' && dpkg-deb -f '$deb' Depends | grep -q 'man-db' &&
    dpkg-deb -f '$deb' Depends | grep -q 'libqt6webenginecore6'"

version=$("$root/usr/bin/lectorin-cli" --version)
description="lectorin-cli --version: $version"
check sh -c "echo '$version' | grep -q '^Lectorin [0-9]'"

html=$("$root/usr/bin/lectorin-cli" render 'lectorin(1)' --manpath "$root/usr/share/man")
description="lectorin-cli render 'lectorin(1)' from the package's manual pages"
check sh -c "printf '%s' \"\$1\" | grep -q '<title>lectorin(1)</title>' &&
    printf '%s' \"\$1\" | grep -q 'installed manual pages</span>'" sh "$html"

ids=$("$root/usr/bin/lectorin-cli" scan --ids --manpath "$root/usr/share/man" --path /nonexistent)
description="both manual pages listed"
check sh -c "printf '%s\n' \"\$1\" | grep -qx 1/lectorin && printf '%s\n' \"\$1\" | grep -qx 1/lectorin-cli" sh "$ids"

description="the launcher and its window program"
check sh -c "'$root/usr/bin/lectorin' --version | grep -q '^Lectorin [0-9]' &&
    [ -x '$root/usr/libexec/lectorin/lectorin-window' ] && '$root/usr/libexec/lectorin/lectorin-window' --version >/dev/null"

description="desktop-file-validate"
check desktop-file-validate "$root/usr/share/applications/lectorin.desktop"

exit "$failed"
