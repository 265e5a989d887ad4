#!/usr/bin/env bash
# Tapping finds the delay the server does not report: a private PulseAudio whose sink "grip"
# (where the game plays) is looped to a second null sink with 200 ms more delay; a listener on
# the second sink's monitor presses Space the moment it hears each click, as a player with a
# perfect ear would. Prints the offset the game kept for the sink and its distance from 200 ms.
# The listener itself adds its block (5 ms), the key's way through the X server, and whatever
# the loopback's own latency differs from what it was asked for.
# usage: bench/tap_offset.sh [BUILD_DIR]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
game=$build/bin/griprhythm
delay=${DELAY_MS:-200}
[ -x "$game" ] || { echo "build first: scripts/build"; exit 1; }
command -v python3 >/dev/null || { echo "python3 is needed for the listener"; exit 1; }

work=$(mktemp -d)
lpid=""
. "$root/tests/shell/e2e/window.sh"
. "$root/tests/support/pulse.sh"
on_exit '[ -n "$lpid" ] && kill "$lpid" 2>/dev/null'
on_exit pulse_stop

pulse_start "$work/pa" || exit 1
pactl load-module module-null-sink sink_name=late rate=44100 >/dev/null
pactl load-module module-loopback source=grip.monitor sink=late latency_msec="$delay" >/dev/null
pactl set-default-sink grip
# The loopback takes a while to settle on the delay asked of it.
sleep "${SETTLE_S:-10}"
start_xserver
launch_game "$game"
find_main_window
sleep 3
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"

# The listener: 5 ms blocks of the late sink; a block louder than the threshold after a quiet
# third of a second is a click, answered with Space at once through the X server's test
# extension (starting a program for each key would add its own start-up, tens of ms on a busy
# machine).
cat >"$work/listen.py" <<'PY'
import array, ctypes, os
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
space = x11.XKeysymToKeycode(display, 0x20)
block, quiet, threshold = 220 * 2, 0.33, 3000
last, seen, frames = -1.0, 0, 0
while True:
    data = os.read(0, block)
    if not data:
        break
    samples = array.array("h", data[: len(data) // 2 * 2])
    now = frames / 44100.0
    frames += len(samples)
    if samples and max(map(abs, samples)) > threshold and now - last > quiet:
        xtst.XTestFakeKeyEvent(display, space, 1, 0)
        xtst.XTestFakeKeyEvent(display, space, 0, 0)
        x11.XFlush(display)
        last, seen = now, seen + 1
        print(seen, flush=True)
PY
parec -d late.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=5 --process-time-msec=5 2>/dev/null |
  python3 "$work/listen.py" >"$work/heard.log" &
lpid=$!
sleep 1

# Right-click on the game picture; the menu's last entry is "Tap to the beat…".
xdotool mousemove $((left + 150)) $((top + 150)) click 3
sleep 0.5
xdotool key Up Return
# The lead-in, sixteen beats at 100 a minute, and the last half beat.
sleep 14
conf=$work/user/config/griprhythm/griprhythm.conf
# QSettings writes the key as tap_offset_ms\grip under [audio].
tapped=$(grep -o 'tap_offset_ms\\grip=-\?[0-9]*' "$conf" 2>/dev/null | cut -d= -f2)
printf '%-34s %s\n' "clicks heard on the late sink" "$(tail -1 "$work/heard.log" 2>/dev/null || echo 0)"
[ -n "$tapped" ] || fail "no offset was kept for the sink grip"
printf '%-34s %s\n' "added output delay, ms" "$delay"
printf '%-34s %s\n' "offset kept for grip, ms" "$tapped"
printf '%-34s %s\n' "distance from the delay, ms" "$(( tapped > delay ? tapped - delay : delay - tapped ))"
end_game
