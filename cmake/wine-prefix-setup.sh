#!/bin/sh
# Readies a new Wine prefix for the window program: the dialogs' face ＭＳ Ｐゴシック, which Wine
# does not have, set in IPA P Gothic as on Linux; Wine's own interface face Tahoma (title bars,
# menus, message boxes, the file chooser), which has no Japanese letters, too; and Wine's
# Marlett font for the caption buttons. Called by cmake/wine-run.sh once the prefix is made;
# $WINEPREFIX names it.
set -eu

marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"

# regedit reads a version 5 file in UTF-16 with a byte-order mark.
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
    printf '\377\376'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' '"Tahoma"="IPAPGothic"' |
        iconv -f UTF-8 -t UTF-16LE
} >"$reg"
# Wine reads a path from / as one on the drive that maps the Linux root.
cd /
/usr/lib/wine/wine64 regedit /S "$reg" </dev/null >/dev/null 2>&1
