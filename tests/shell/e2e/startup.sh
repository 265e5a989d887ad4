#!/usr/bin/env bash
# Starts the real game on a virtual X server and checks what a player would see first:
# a borderless 573 x 465 window at its designed place, the skin drawn at (-2, 11) in the
# drawing surface (or, with the game's pictures, the scenery drawn over it), and End
# closing the program with status 0.
# usage: startup.sh GAME SKIN_BMP   (run inside xvfb-run)
set -u
game=$1
skin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"; kill "$pid" 2>/dev/null' EXIT

fail() { echo "FAIL: $*"; exit 1; }

unset QT_QPA_PLATFORM
"$game" >"$work/out.log" 2>&1 &
pid=$!

# The main window is the 573-pixel-wide one of that name; a start-up message box shares it.
wid=""
for _ in $(seq 1 100); do
  for w in $(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null); do
    if xwininfo -id "$w" | grep -q 'Width: 573$'; then wid=$w; fi
  done
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no main window appeared"
sleep 0.5
# A message box (data files missing in this build) must not hide what is checked below.
box=""
for w in $(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null); do
  [ "$w" = "$wid" ] || { echo "note: a message box is open"; box=1; xdotool windowmove "$w" 0 480; }
done

geometry=$(xwininfo -id "$wid")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
[ "$width" = 573 ] && [ "$height" = 465 ] || fail "window is ${width}x${height}, not 573x465"
[ "$left" = 154 ] && [ "$top" = 57 ] || fail "window at ($left,$top), not (154,57)"
xprop -id "$wid" _MOTIF_WM_HINTS | grep -qE '= 0x2, 0x[0-9a-f]+, 0x0' || fail "window asks for decorations: $(xprop -id "$wid" _MOTIF_WM_HINTS)"

# Frames run every 100 ms; give a few of them time to land.
sleep 1
import -window root "$work/screen.png" || fail "no screenshot"
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
if [ -n "$box" ]; then
  # Start-up stopped before the pictures: the bare skin is what the surface shows.
  for point in "230 180" "20 200" "440 300" "100 40"; do
    set -- $point
    want=$(pixel "$skin" "$1" "$2")
    got=$(pixel "$work/screen.png" $((154 - 2 + $1)) $((57 + 11 + $2)))
    [ "$want" = "$got" ] || fail "skin pixel ($1,$2) is $want but the screen shows $got"
  done
else
  # With the pictures loaded, the scenery covers the skin; the surface must show it drawn.
  colours=$(convert "$work/screen.png" -crop 457x363+154+68 +repage -format %k info:)
  [ "$colours" -gt 200 ] || fail "the drawing surface shows only $colours colours"
fi
button=$(pixel "$work/screen.png" $((154 + 480 + 10)) $((57 + 24 + 12)))
[ "$button" != "0,0,0" ] || fail "no Start button at its place"

# End, at (528, 392) in the window.
xdotool mousemove $((154 + 528 + 24)) $((57 + 392 + 12)) click 1
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "End did not end the program"
wait "$pid"
status=$?
[ "$status" = 0 ] || { cat "$work/out.log"; fail "exit status $status"; }
echo "startup: window, skin and End all as designed"
