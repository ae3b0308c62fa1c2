#!/usr/bin/env bash
# Prepares a WoW64 Wine prefix in which the program looks as on a Japanese
# system: code page 932, IPA P Gothic standing in for the dialog font, and a
# virtual desktop so captions and frames are drawn under a bare X server.
#
#   scripts/wineprefix.sh DIR
#
# Safe to call again and from parallel jobs: a prepared prefix is left as is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

prefix=${1:?usage: wineprefix.sh DIR}
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

set -a
. "$here/lib/wine.env"
set +a
export WINEPREFIX=$prefix

exec 9>"$prefix.lock"
flock 9
# Bump when the preparation below changes, so older prefixes are redone.
ready="$prefix/.tavro-ready-3"
[ -f "$ready" ] && exit 0
if [ -d "$prefix" ]; then
  echo "wineprefix: $prefix is from an older preparation; making it anew" >&2
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi

. "$here/lib/i386.sh"
if [ "$(i386_probe)" = emulated ]; then
  echo "wineprefix: preparing $prefix (i386 is emulated here: about 3 minutes)" >&2
else
  echo "wineprefix: preparing $prefix" >&2
fi
log=$(mktemp)
trap 'rm -f "$log" "${reg:-}"' EXIT
fail() {
  echo "wineprefix: $1 failed; Wine said:" >&2
  tail -n 20 "$log" >&2
  case "$(i386_probe)" in
    none) echo "wineprefix: this host cannot execute i386 code; run scripts/setup.sh (as root) to set up emulation" >&2 ;;
  esac
  exit 1
}
/usr/lib/wine/wine64 wineboot -i >"$log" 2>&1 || fail "wineboot"
wineserver -w
[ -f "$prefix/system.reg" ] || fail "wineboot (no system.reg was written)"

reg=$(mktemp --suffix=.reg)
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
/usr/lib/wine/wine64 regedit /S "$(/usr/lib/wine/wine64 winepath -w "$reg" 2>/dev/null)" >"$log" 2>&1 ||
  fail "regedit"
wineserver -w

# Caption buttons are drawn with Marlett. This Wine does not load the fonts of
# its own data directory (package fonts-wine), so the prefix gets a copy.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
touch "$ready"
