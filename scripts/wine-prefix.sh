#!/bin/bash
# Creates the Wine prefix PREFIX once, with font replacements for Chinese text.
# Safe to call from parallel tests: the first caller initialises, the others wait.
set -e
prefix=$1
[ -f "$prefix/.quorvin-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.quorvin-ready" ] && exit 0
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
wineboot -i >/dev/null 2>&1
reg=$(mktemp --suffix=.reg)
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Microsoft Sans Serif"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
REG
wine regedit /S "$reg" >/dev/null 2>&1
rm -f "$reg"
wineserver -w
touch "$prefix/.quorvin-ready"
