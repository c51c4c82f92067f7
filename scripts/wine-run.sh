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
exec wine "$@"
