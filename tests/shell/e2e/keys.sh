#!/usr/bin/env bash
# The real game without a ball, on a virtual X server, played with the keyboard: the hint on
# the game surface names the keys, Start is clicked, J is pressed and let go in a rhythm, and
# player one's score rises.
# usage: keys.sh GAME   (on a machine without a grip ball)
set -u
game=$1
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver

launch_game "$game"
find_main_window
sleep 0.5
[ -z "$(message_boxes)" ] || fail "a message box is open at start-up"
shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
# Player one's score digits (surface (240, 7), 60 x 14; the surface sits at (-2, 11)).
score() { convert "$work/$1.png" -crop "60x14+$((left + 238))+$((top + 18))" +repage "$work/$1-score.png"; }
# Where the hint stands: the top left of player two's half.
hint() { convert "$work/$1.png" -crop "150x16+$((left + 40))+$((top + 199))" +repage "$work/$1-hint.png"; }

shot idle
press 480 24 75 25  # Start
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
# A light grip every 300 ms, let go for 100 ms in between; the first balls come some 9 s in.
end=$((SECONDS + 14))
while [ $SECONDS -lt $end ]; do
  xdotool keydown j
  sleep 0.2
  xdotool keyup j
  sleep 0.1
done
shot played
score idle
score played
changed=$(compare -metric AE "$work/idle-score.png" "$work/played-score.png" null: 2>&1 | cut -d' ' -f1)
[ "$changed" -gt 0 ] || fail "player one's score did not rise with J pressed in a rhythm"
# The hint's first line stays up while no ball comes: white text on a box that hides player
# two's night sky (blue, never below 108, with little red: most of the place without the box).
for s in idle played; do
  hint $s
  [ "$(convert "$work/$s-hint.png" -format '%[fx:int(255*maxima.r)]' info:)" -gt 230 ] || fail "no hint names the keys ($s)"
  sky=$(convert "$work/$s-hint.png" -fx "(b>=0.39 && r<0.59) ? 1 : 0" -format '%[fx:int(100*mean)]' info:)
  [ "$sky" -lt 25 ] || fail "no box behind the keys' hint ($s): $sky % of it is sky"
done
[ -n "${GRIP_E2E_SHOTS:-}" ] && cp "$work/played.png" "$GRIP_E2E_SHOTS/keys-played.png"

end_game
echo "keys: J in a rhythm scores without a ball"
