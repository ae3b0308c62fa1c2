#!/usr/bin/env bash
# Prepares a 32-bit Wine prefix in which the program looks as on a Japanese
# system: code page 932, IPA P Gothic standing in for the dialog font, and a
# virtual desktop so captions and frames are drawn under a bare X server.
#
#   scripts/wineprefix.sh DIR
#
# Safe to call again and from parallel jobs: a prepared prefix is left as is.
set -euo pipefail

prefix=${1:?usage: wineprefix.sh DIR}
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

exec 9>"$prefix.lock"
flock 9
# Bump when the preparation below changes, so older prefixes are redone.
ready="$prefix/.tavro-ready-2"
[ -f "$ready" ] && exit 0

echo "wineprefix: preparing $prefix" >&2
wine wineboot -i >/dev/null 2>&1
wineserver -w

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
iconv -f UTF-8 -t UTF-16 >"$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"
REG
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w

# Caption buttons are drawn with Marlett. This Wine does not load the fonts of
# its own data directory (package fonts-wine), so the prefix gets a copy.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
touch "$ready"
