#!/usr/bin/env bash
# Plays the real game on a virtual X server as a player would, through the window only:
# Start is clicked, the song plays and the balls of both lanes move (only the song's position
# moves them, so moving balls are the song advancing), Pause holds every ball still,
# Resume sets them going again, and End closes the program with status 0.
# usage: play.sh GAME   (the game's data files lie beside GAME)
set -u
game=$1
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver

for f in invincible.mid Fine.txt good.wav balls.dxg Context.dxg Effect.dxg FixedBmp.dxg Gesture.dxg Animation.dxg; do
  [ -f "$(dirname "$game")/$f" ] || fail "the build has no $f beside the game"
done

launch_game "$game"
find_main_window
sleep 0.5
# With every data file present, start-up has nothing to complain about.
[ -z "$(message_boxes)" ] || fail "a message box is open at start-up"

shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
# The stretch of each lane that only balls cross: below the figures, left of the grip meter.
lane() {
  local y
  case $2 in one) y=115 ;; two) y=285 ;; esac
  convert "$work/$1.png" -crop "290x57+$((left + 40))+$((top + y))" +repage "$work/$1-$2.png"
}
differing() { compare -metric AE "$work/$1-$3.png" "$work/$2-$3.png" null: 2>&1 | cut -d' ' -f1; }

shot idle
press 480 24 75 25  # Start
# The beat map's first ball enters on the left some 9 s into the song (88 beats a minute);
# by 12 s several have come in on each lane.
sleep 12
shot playing1
sleep 0.5
shot playing2
kill -0 "$pid" 2>/dev/null || fail "the game ended after Start"
for s in idle playing1 playing2; do lane $s one; lane $s two; done
for l in one two; do
  # Start lays the balls out: the lane shows more than it did before.
  [ "$(differing idle playing1 $l)" -gt 500 ] || fail "no balls came onto lane $l after Start"
  moved=$(differing playing1 playing2 $l)
  [ "$moved" -gt 500 ] || fail "the balls of lane $l did not move while the song played ($moved pixels changed)"
  echo "lane $l: $moved pixels changed in 0.5 s of song"
done

press 480 64 75 25  # Pause
# A ball judged just before the pause may still finish its effect; then all is still.
sleep 1.5
shot paused1
sleep 1
shot paused2
for s in paused1 paused2; do lane $s one; lane $s two; done
for l in one two; do
  held=$(differing paused1 paused2 $l)
  [ "$held" = 0 ] || fail "lane $l kept moving after Pause ($held pixels changed)"
done

press 480 96 75 25  # Resume
sleep 1
shot resumed
lane resumed one
[ "$(differing paused2 resumed one)" -gt 500 ] || fail "the balls did not move again after Resume"

end_game
echo "play: Start, moving balls on both lanes, Pause, Resume and End all as a player sees them"
