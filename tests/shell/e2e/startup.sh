#!/usr/bin/env bash
# Starts the real game on a virtual X server and checks what a player would see first:
# a borderless 573 x 465 window at its designed place, the skin drawn at (-2, 11) in the
# drawing surface, and End closing the program with status 0.
# usage: startup.sh GAME SKIN_BMP
set -u
game=$1
skin=$2
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver

launch_game "$game"
find_main_window
sleep 0.5
# A message box (data files missing in this build) must not hide what is checked below.
for w in $(message_boxes); do
  echo "note: a message box is open"
  xdotool windowmove "$w" 0 480
done

geometry=$(xwininfo -id "$wid")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
[ "$width" = 573 ] && [ "$height" = 465 ] || fail "window is ${width}x${height}, not 573x465"
[ "$left" = 154 ] && [ "$top" = 57 ] || fail "window at ($left,$top), not (154,57)"
xprop -id "$wid" _MOTIF_WM_HINTS | grep -qE '= 0x2, 0x[0-9a-f]+, 0x0' || fail "window asks for decorations: $(xprop -id "$wid" _MOTIF_WM_HINTS)"

# Frames run every 100 ms; give a few of them time to land.
sleep 1
import -window root "$work/screen.png" || fail "no screenshot"
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
# The game's sprites cover most of the skin; these places of the surface show the skin's frame
# (surface x, y; the skin pixel there is (x + 2, y - 11) since the skin sits at (-2, 11)).
for point in "20 17" "230 13" "440 13" "20 71" "100 367" "300 367" "440 367"; do
  set -- $point
  want=$(pixel "$skin" $(($1 + 2)) $(($2 - 11)))
  got=$(pixel "$work/screen.png" $((154 + $1)) $((57 + $2)))
  [ "$want" = "$got" ] || fail "skin pixel ($(($1 + 2)),$(($2 - 11))) is $want but the surface shows $got at ($1,$2)"
done
button=$(pixel "$work/screen.png" $((154 + 480 + 10)) $((57 + 24 + 12)))
[ "$button" != "0,0,0" ] || fail "no Start button at its place"

end_game
echo "startup: window, skin and End all as designed"
