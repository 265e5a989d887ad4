#!/usr/bin/env bash
# The package as a desktop, a software centre and apt read it: the menu entry and the AppStream
# metadata validate, the entry's command and its icon (in every size it claims) are in the
# package, so are the shipped songs, and every library the two programs link is owned by a
# package the package depends on, so a library a new feature links is never missing on a
# player's machine.
# usage: contents.sh DEB
set -u
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "cannot unpack $deb"
desktop=$root/usr/share/applications/griprhythm.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $(basename "$desktop")"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli rejects the metadata"

command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/games/$command" ] || fail "the menu's command $command is not in usr/games (or its link is broken)"
grep -q '^MimeType=.*audio/midi;' "$desktop" || fail "the menu entry does not take MIDI files"
icon=$(sed -n 's/^Icon=//p' "$desktop")
sizes=0
for file in "$root"/usr/share/icons/hicolor/*/apps/"$icon".png; do
  [ -f "$file" ] || break
  folder=$(basename "$(dirname "$(dirname "$file")")")
  size=$(identify -format '%wx%h' "$file") || fail "$file is no picture"
  [ "$size" = "$folder" ] || fail "$file is $size"
  sizes=$((sizes + 1))
done
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] && [ -f "$root/usr/share/icons/hicolor/128x128/apps/$icon.png" ] ||
  fail "icon $icon lacks the 48 or 128 pixel size menus and software centres use"
[ -f "$root/usr/lib/udev/rules.d/70-grip-ball.rules" ] || fail "no udev rule where udev reads it"
songs=$(find "$root/usr/lib/griprhythm/songs" -name '*.mid' 2>/dev/null | wc -l)
[ "$songs" -ge 12 ] || fail "the package ships $songs songs in usr/lib/griprhythm/songs"

depends=$(dpkg-deb -f "$deb" Depends)
# The package names alone, one a line (alternatives count like the others).
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
grep -qxF sf2-soundfont-gm <<<"$names" || fail "no SoundFont among the dependencies: $depends"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# Each line: PROGRAM LIBRARY, for every library the programs link.
linked=$(for program in griprhythm griptool; do
  objdump -p "$root/usr/lib/griprhythm/$program" | awk -v p="$program" '$1 == "NEEDED" {print p, $2}'
done)
[ -n "$linked" ] || fail "the programs link no libraries: objdump found nothing"
# One query for all of them: dpkg -S answers "package[, package]: path" for each one it owns.
owned=$(dpkg -S $(awk -v m="$multiarch" '{print "*/" m "/" $2}' <<<"$linked" | sort -u) 2>/dev/null)
while read -r program library; do
  owners=$(grep -F "/$multiarch/$library" <<<"$owned" | sed 's/: .*//' | tr ',' '\n' | sed 's/:.*//; s/^ *//' | sort -u)
  [ -n "$owners" ] || fail "no installed package owns $library, which $program links"
  found=""
  for owner in $owners; do
    grep -qxF "$owner" <<<"$names" && found=$owner
  done
  [ -n "$found" ] || fail "$program links $library ($owners), which the package does not depend on: $depends"
done <<<"$linked"
echo "contents: menu entry and metadata valid, command and $sizes icon sizes in place, $songs songs, every linked library depended on"
