#!/usr/bin/env bash
# The game on a real sound server: starts a private PulseAudio with a null sink and a virtual
# X server, runs the real game and prints
#   - the CPU the whole game process takes idle before Start, playing the song, and paused,
#     beside `fluidsynth -a pulseaudio` (default settings) playing the same song in the same run,
#     first after the game and then side by side with it over the same windows;
#   - the distinct frames a second on the screen while the balls move (an ffmpeg x11grab
#     capture at 120 frames a second, duplicates dropped by mpdecimate);
#   - how soon the music is back after the server is killed and started again;
#   - from bench_sound_latency on the same server: an event's time to its sound at the sink,
#     the lanes' offset beside it, and a hit sound's time from the judging that plays it;
#   - from bench_squeeze_latency: a squeeze of a simulated ball to its hit sound at the sink,
#     judged on the frames and at the moment of the grip.
# CPU is a share of one core, from the process's user and system time over each window;
# every window is measured REPEAT times (3) and all are printed, with the load average.
# usage: bench/sound.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
game=$build/bin/griprhythm
repeat=${REPEAT:-3}
window=${WINDOW:-10}
GRIP_EXTRA_PACKAGES="ffmpeg" "$root/scripts/deps" >/dev/null
[ -x "$game" ] && [ -x "$build/bench/bench_sound_latency" ] && [ -x "$build/bench/bench_squeeze_latency" ] || { echo "build first: scripts/build"; exit 1; }

work=$(mktemp -d)
fpid=""
# The X server, the game's window and the tidying up at the end are the end-to-end tests'.
. "$root/tests/shell/e2e/window.sh"
. "$root/tests/support/pulse.sh"
on_exit '[ -n "$fpid" ] && kill "$fpid" 2>/dev/null'
on_exit pulse_stop

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# CPU % of one core of process $1 over $window seconds.
cpu() {
  local a b hz
  hz=$(getconf CLK_TCK)
  a=$(ticks "$1"); sleep "$window"; b=$(ticks "$1")
  awk -v a="$a" -v b="$b" -v w="$window" -v hz="$hz" 'BEGIN {printf "%.2f", (b - a) * 100 / hz / w}'
}
cpus() {
  local out="" i
  for i in $(seq 1 "$repeat"); do out="$out $(cpu "$1")"; done
  echo "$out"
}
say() { printf '%-34s %s\n' "$1" "$2"; }

pulse_start "$work/pa" || exit 1
start_xserver

say "load average at start" "$(cut -d' ' -f1-3 /proc/loadavg)"
launch_game "$game"
find_main_window
sleep 3
say "game idle before Start, % core" "$(cpus "$pid")"

press 480 24 75 25  # Start
sleep 2
say "game playing, % core" "$(cpus "$pid")"
say "streams on the sink while playing" "$(pactl list short sink-inputs | grep -c .) (one is the silent keeper)"

# The picture's frames while the song plays: the balls move on every one that is new.
frames=$(ffmpeg -hide_banner -nostats -loglevel info -f x11grab -framerate 120 -video_size 457x385 \
  -i "$DISPLAY+$left,$top" -t 5 -vf mpdecimate -f null - 2>&1 | grep -o 'frame= *[0-9]*' | tail -1 | grep -o '[0-9]*')
say "distinct frames a second, playing" "$(awk -v f="${frames:-0}" 'BEGIN {printf "%.1f", f / 5}')"

# The server dies under the song and comes back.
pulse_kill
sleep 1
pulse_start "$work/pa" || exit 1
timeout 3 parec -d grip.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=10 >"$work/back.raw"
rest=$(sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/back.raw" -n silence 1 0.002 1% stat 2>&1 | awk '/Length/ {print $3}')
say "music back after the server, s" "$(awk -v r="${rest:-0}" 'BEGIN {printf "%.2f", 3 - r}')"
sleep 2

press 480 64 75 25  # Pause
# The released notes and the reverberation fade for about three seconds before the stream corks.
sleep 5
say "game paused, % core" "$(cpus "$pid")"
pactl list sink-inputs | grep -q 'Corked: yes' && say "the game's stream while paused" "corked"
kill "$pid"
wait "$pid" 2>/dev/null
pid=""
say "game's lines about the sound" "$(grep -c 'sound server' "$work/out.log")"

fluidsynth -a pulseaudio -i -q /usr/share/sounds/sf2/TimGM6mb.sf2 "$build/bin/invincible.mid" >"$work/fs.log" 2>&1 &
fpid=$!
sleep 2
say "fluidsynth -a pulseaudio playing, %" "$(cpus "$fpid")"
kill "$fpid"
wait "$fpid" 2>/dev/null
fpid=""

# Other work on the machine comes and goes between the windows above; here the two play the
# song side by side from its start and are measured over the same windows.
launch_game "$game"
find_main_window
sleep 3
press 480 24 75 25  # Start
fluidsynth -a pulseaudio -i -q /usr/share/sounds/sf2/TimGM6mb.sf2 "$build/bin/invincible.mid" >"$work/fs.log" 2>&1 &
fpid=$!
sleep 2
both=""
for _ in $(seq 1 "$repeat"); do
  ga=$(ticks "$pid"); fa=$(ticks "$fpid"); sleep "$window"; gb=$(ticks "$pid"); fb=$(ticks "$fpid")
  both="$both $(awk -v g=$((gb - ga)) -v f=$((fb - fa)) -v w="$window" -v hz="$(getconf CLK_TCK)" \
    'BEGIN {printf "%.2f/%.2f", g * 100 / hz / w, f * 100 / hz / w}')"
done
say "side by side, game/fluidsynth %" "$both"
kill "$fpid" "$pid"
wait "$fpid" "$pid" 2>/dev/null
fpid="" pid=""
say "load average at the end" "$(cut -d' ' -f1-3 /proc/loadavg)"

"$build/bench/bench_sound_latency" 2>&1 | grep -E '^BM_|ERROR'
"$build/bench/bench_squeeze_latency" 2>&1 | grep -E '^BM_|ERROR'
