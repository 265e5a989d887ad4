#!/usr/bin/env bash
# The real game on emulated grip balls (umockdev), on a virtual X server: player one's ball is
# plugged in at start-up, Start is clicked and the ball squeezes in a rhythm: player one's score
# rises. A second ball plugged in mid-song is player two's: its score shows in player two's
# half, and each player's score follows its own ball only.
# usage: balls.sh GAME BALLBED PRELOAD
set -u
game=$1
ballbed=$2
preload=$3
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver

# Commands for the balls go through a pipe held open both ways, so that neither end waits.
# Waits up to 5 s for the ball bed to tell that the game greeted ball $1.
greeted() {
  for _ in $(seq 1 50); do
    grep -q "ball $1 got 2 bytes" "$work/out.log" && return 0
    sleep 0.1
  done
  return 1
}
mkfifo "$work/balls"
exec 3<>"$work/balls"
launch_game umockdev-wrapper "$ballbed" 1 "$preload" "$work/balls" -- "$game"
find_main_window
sleep 0.5
[ -z "$(message_boxes)" ] || fail "a message box is open at start-up"
greeted 0 || fail "the game did not greet the ball"

shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
# Each player's score digits (surface (240, 7) and (240, 180), 60 x 14; the surface sits at
# (-2, 11) in the window).
score() {
  local y
  case $2 in one) y=7 ;; two) y=180 ;; esac
  convert "$work/$1.png" -crop "60x14+$((left + 238))+$((top + y + 11))" +repage "$work/$1-score-$2.png"
}
changed() { compare -metric AE "$work/$1-score-$3.png" "$work/$2-score-$3.png" null: 2>&1 | cut -d' ' -f1; }

shot idle
press 480 24 75 25  # Start
echo "squeeze 0 on" >&3
# The first balls reach the mark some 9 s into the song.
sleep 13
shot one
for s in idle one; do score $s one; score $s two; done
[ "$(changed idle one one)" -gt 0 ] || fail "player one's score did not rise with its ball squeezed"
[ "$(changed idle one two)" = 0 ] || fail "player two's half shows a score with one ball"

# The second ball is player two's. Player one rests, player two squeezes.
echo "plug 1" >&3
echo "squeeze 0 off" >&3
greeted 1 || fail "the game did not greet the second ball"
sleep 0.5
shot two0
echo "squeeze 1 on" >&3
sleep 6
shot two1
for s in two0 two1; do score $s one; score $s two; done
[ "$(changed one two0 two)" -gt 0 ] || fail "player two's score did not show with its own ball"
[ "$(changed two0 two1 two)" -gt 0 ] || fail "player two's score did not rise with its ball squeezed"
[ "$(changed two0 two1 one)" = 0 ] || fail "player one's score rose while only player two's ball was squeezed"

# And the other way round.
echo "squeeze 1 off" >&3
echo "squeeze 0 on" >&3
sleep 0.5
shot three0
sleep 6
shot three1
for s in three0 three1; do score $s one; score $s two; done
[ "$(changed three0 three1 one)" -gt 0 ] || fail "player one's score did not rise with its ball squeezed again"
[ "$(changed three0 three1 two)" = 0 ] || fail "player two's score rose while only player one's ball was squeezed"
[ -n "${GRIP_E2E_SHOTS:-}" ] && cp "$work/two1.png" "$GRIP_E2E_SHOTS/balls-two-players.png"

end_game
echo "balls: each player's score follows its own emulated ball"
