#!/usr/bin/env bash
# The game's memory and start-up with a small and a large General MIDI SoundFont, in one run,
# on a private PulseAudio null sink and a virtual X server. For each SoundFont it prints
#   - the time from starting the program to its main window being mapped (best of REPEAT, 3);
#   - the resident memory (VmRSS) idle before Start, and the most seen while playing the
#     shipped song (sampled every second for PLAY seconds, 8, from two seconds after Start).
# The large one is fluid-soundfont-gm's, installed here for measuring only.
# usage: bench/soundfont_memory.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
game=$build/bin/griprhythm
repeat=${REPEAT:-3}
play=${PLAY:-8}
GRIP_EXTRA_PACKAGES="fluid-soundfont-gm" "$root/scripts/deps" >/dev/null
[ -x "$game" ] || { echo "build first: scripts/build"; exit 1; }
small=/usr/share/sounds/sf2/TimGM6mb.sf2
large=/usr/share/sounds/sf2/FluidR3_GM.sf2
[ -f "$small" ] && [ -f "$large" ] || { echo "missing $small or $large"; exit 1; }

work=$(mktemp -d)
. "$root/tests/shell/e2e/window.sh"
. "$root/tests/support/pulse.sh"
on_exit pulse_stop
pulse_start "$work/pa" || exit 1
start_xserver

say() { printf '%-44s %s\n' "$1" "$2"; }
rss_mb() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Starts the game and waits for its window to be mapped; sets took to the milliseconds it took.
# Not run in a subshell: the game's pid must reach the caller.
start_timed() {
  local t0 w
  t0=$(now_ms)
  launch_game "$game"
  for _ in $(seq 1 1000); do
    w=$(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null | head -1)
    [ -n "$w" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended at start-up"
    sleep 0.01
  done
  [ -n "$w" ] || fail "no window within 10 s"
  took=$(($(now_ms) - t0))
}
stop_game() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
}

say "load average at start" "$(cut -d' ' -f1-3 /proc/loadavg)"
for font in "$small" "$large"; do
  name=$(basename "$font")
  export GRIP_DEFAULT_SOUNDFONT=$font
  times=""
  for _ in $(seq 1 "$repeat"); do
    start_timed
    times="$times $took"
    stop_game
  done
  say "$name: start to window mapped, ms" "$times"

  launch_game "$game"
  find_main_window
  sleep 3
  say "$name: resident idle before Start, MB" "$(rss_mb "$pid")"
  press 480 24 75 25  # Start
  sleep 2
  peak=0
  for _ in $(seq 1 "$play"); do
    peak=$(awk -v a="$peak" -v b="$(rss_mb "$pid")" 'BEGIN {print (b > a ? b : a)}')
    sleep 1
  done
  say "$name: resident playing (most seen), MB" "$peak"
  grep -i soundfont "$work/out.log" | sed "s/^/  $name: game: /"
  stop_game
done
say "load average at the end" "$(cut -d' ' -f1-3 /proc/loadavg)"
