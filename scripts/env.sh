# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts: the web engine's settings for this machine.
# Chromium refuses to start as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
