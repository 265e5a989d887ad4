#!/usr/bin/env bash
# The game as the package installs it, unpacked into a scratch folder: started through its link
# in usr/games it finds its pictures, song and sound beside itself (no box says a file cannot be
# loaded) and shows its window, and End closes it; griptool answers --help through its link.
# usage: unpacked.sh DEB
set -u
deb=$1
work=$(mktemp -d)
. "$(dirname "$0")/../shell/e2e/window.sh"
start_xserver

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "cannot unpack $deb"
launch_game "$root/usr/games/griprhythm"
find_main_window
# The data files are read while the window opens; a missing one shows its box by now.
sleep 1
if [ -n "$(message_boxes)" ]; then
  import -window root "$work/unpacked.png"
  fail "a message box is open: the game did not find its data beside it"
fi
end_game

"$root/usr/games/griptool" --help >"$work/help.txt" 2>&1 || fail "griptool --help failed: $(cat "$work/help.txt")"
grep -q '^Usage:' "$work/help.txt" || fail "griptool --help printed no usage: $(head -3 "$work/help.txt")"
echo "unpacked: the game found its data and showed its window, End closed it, griptool --help ran"
