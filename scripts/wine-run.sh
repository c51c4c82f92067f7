#!/bin/bash
# Runs a Windows program under Wine with the build tree's own prefix, creating
# that prefix once (with Chinese font replacements so dialogs render text).
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -e
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$(dirname "$0")/wine-prefix.sh" "$prefix"
# Windows need an X display; without one, the program gets a private Xvfb.
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" wine "$@"
else
    wine "$@"
fi
status=$?
# The prefix's desktop process is bound to this display: end it with the run.
wineserver -k 2>/dev/null
exit $status
