#!/usr/bin/env bash
# The real game on a private sound server (a null sink, recorded from its monitor): the song
# is heard after Start; the server is killed while the song plays and started again, and the
# music is in the monitor again within 2 seconds of the server taking clients; the game said
# once that the sound went and once that it is back, and nothing else; after Pause the sink
# falls silent (no note hangs on).
# usage: sound.sh GAME PULSE_HELPERS   (PULSE_HELPERS is tests/support/pulse.sh)
set -u
game=$1
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver
. "$2"
on_exit pulse_kill

command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (scripts/deps installs it)"
pulse_start "$work/pa" || fail "no private sound server"

# Records the monitor for $2 seconds into $1 (16-bit mono raw) and prints the peak (0..1).
record() {
  timeout "$2" parec -d grip.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=10 >"$work/$1.raw"
  sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/$1.raw" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'
}
loud() { awk -v p="$1" -v t="$2" 'BEGIN {exit !(p > t)}'; }

launch_game "$game"
find_main_window
press 480 24 75 25  # Start
sleep 2
peak=$(record before 1)
loud "$peak" 0.01 || fail "no song in the monitor after Start (peak $peak)"

pulse_kill
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the game ended when the sound server went away"
pulse_start "$work/pa" || fail "the sound server did not start again"
peak=$(record after 2)
loud "$peak" 0.01 || fail "no music in the monitor within 2 s of the server's return (peak $peak)"
# Where the music comes back: the length of the recording less its leading silence.
rest=$(sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/after.raw" -n silence 1 0.002 1% stat 2>&1 |
  awk '/Length/ {print $3}')
echo "music back $(awk -v r="$rest" 'BEGIN {printf "%.2f", 2 - r}') s after the server took clients"

press 480 64 75 25  # Pause
sleep 2.5
peak=$(record paused 1)
loud "$peak" 0.0005 && fail "the sink still sounds 2.5 s after Pause (peak $peak): a note hangs on"

kill -0 "$pid" 2>/dev/null || fail "the game ended"
lost=$(grep -c "sound server went away" "$work/out.log")
back=$(grep -c "sound server is back" "$work/out.log")
[ "$lost" = 1 ] && [ "$back" = 1 ] || fail "expected one line each that the sound went and came back, saw $lost and $back"
others=$(grep -v -e "sound server went away" -e "sound server is back" "$work/out.log" | grep -c .)
[ "$others" = 0 ] || fail "the game printed more than the two lines about the sound"
end_game
echo "sound: heard after Start, back after the server's restart, silent after Pause"
