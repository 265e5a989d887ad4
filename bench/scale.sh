#!/usr/bin/env bash
# The game at 1× and at 2× side by side: both play the same song at once on one large virtual
# X server (2560 × 1600) and a private PulseAudio. A game draws only while it has the keyboard,
# so the two take turns at it, and the script prints for each
#   - the CPU its process takes while playing, in REPEAT windows of WINDOW seconds taken in
#     turn, and the ratio of each 2× window to the 1× one before it;
#   - the distinct frames a second of its picture while the balls move (an ffmpeg x11grab
#     capture at 120 frames a second of the game picture, duplicates dropped by mpdecimate).
# CPU is a share of one core, from the process's user and system time over each window.
# usage: bench/scale.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
game=$build/bin/griprhythm
repeat=${REPEAT:-3}
window=${WINDOW:-10}
GRIP_EXTRA_PACKAGES="ffmpeg" "$root/scripts/deps" >/dev/null
[ -x "$game" ] || { echo "build first: scripts/build"; exit 1; }

work=$(mktemp -d)
# The X server, the game's windows and the tidying up at the end are the end-to-end tests', on
# a server large enough for the window at 2×.
sed 's/-screen 0 800x600x24/-screen 0 2560x1600x24/' "$root/tests/shell/e2e/window.sh" >"$work/window.sh"
. "$work/window.sh"
. "$root/tests/support/pulse.sh"
on_exit pulse_stop
on_exit '[ -n "${pid1:-}" ] && kill "$pid1" 2>/dev/null'

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
say() { printf '%-40s %s\n' "$1" "$2"; }

# The main window of the given width: its id, left and top.
window_of_width() {
  local w
  for _ in $(seq 1 100); do
    for w in $(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null); do
      if xwininfo -id "$w" | grep -q "Width: $1\$"; then
        xwininfo -id "$w" | awk -v id="$w" '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print id, x, y}'
        return 0
      fi
    done
    sleep 0.1
  done
  fail "no main window $1 pixels wide appeared"
}

# Distinct frames a second of the game picture: zoom $1, window at $2, $3.
frames() {
  local size n
  size="$((457 * $1))x$((385 * $1))"
  n=$(ffmpeg -hide_banner -nostats -loglevel info -f x11grab -framerate 120 -video_size "$size" \
    -i "$DISPLAY+$2,$3" -t 5 -vf mpdecimate -f null - 2>&1 | grep -o 'frame= *[0-9]*' | tail -1 | grep -o '[0-9]*')
  awk -v f="${n:-0}" 'BEGIN {printf "%.1f", f / 5}'
}

pulse_start "$work/pa" || exit 1
start_xserver
say "load average at start" "$(cut -d' ' -f1-3 /proc/loadavg)"

launch_game "$game"
pid1=$pid
read -r wid1 left1 top1 < <(window_of_width 573)
# Out of the way of the larger window, which opens where this one did.
xdotool windowmove "$wid1" 1300 40
left1=1300 top1=40
"$game" --scale 2 >"$work/out2.log" 2>&1 &
pid=$!
read -r wid2 left2 top2 < <(window_of_width 1146)
[ -n "${wid1:-}" ] && [ -n "${wid2:-}" ] || fail "the two windows were not found"
sleep 3

# Start in each, at its scaled place.
xdotool mousemove $((left1 + 517)) $((top1 + 36)) click 1
xdotool mousemove $((left2 + 2 * 517)) $((top2 + 2 * 36)) click 1
# The first balls enter some 9 s into the song.
sleep 11

hz=$(getconf CLK_TCK)
# CPU ticks of process $1 over $window seconds while its window $2 has the keyboard.
playing() {
  local a
  xdotool windowfocus "$2"
  sleep 1
  a=$(ticks "$1"); sleep "$window"; echo $(($(ticks "$1") - a))
}
percent() { awk -v t="$1" -v w="$window" -v hz="$hz" 'BEGIN {printf "%.2f", t * 100 / hz / w}'; }
one="" two="" ratios=""
for _ in $(seq 1 "$repeat"); do
  t1=$(playing "$pid1" "$wid1"); t2=$(playing "$pid" "$wid2")
  one="$one $(percent "$t1")"; two="$two $(percent "$t2")"
  ratios="$ratios $(awk -v a="$t1" -v b="$t2" 'BEGIN {printf "%.2f", a ? b / a : 0}')"
done
say "playing at 1×, % core" "$one"
say "playing at 2×, % core" "$two"
say "2× CPU / 1× CPU (goal at most 2)" "$ratios"
xdotool windowfocus "$wid1"; sleep 1
say "distinct frames a second at 1×" "$(frames 1 "$left1" "$top1")"
xdotool windowfocus "$wid2"; sleep 1
say "distinct frames a second at 2× (goal 50+)" "$(frames 2 "$left2" "$top2")"
kill -0 "$pid1" 2>/dev/null && kill -0 "$pid" 2>/dev/null || fail "a game ended while playing"
say "load average at the end" "$(cut -d' ' -f1-3 /proc/loadavg)"
