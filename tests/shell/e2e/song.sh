#!/usr/bin/env bash
# The real game with a song named on its command line, as the file manager starts it: the song
# opens without a message, its title plate differs from the game's own, and after Start its
# balls come along both lanes. Then a file that is no song: the game shows why and keeps running
# on the song it started with.
# usage: song.sh GAME SONG   (the game's data files lie beside GAME)
set -u
game=$1
song=$2
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver
[ -f "$song" ] || fail "no song $song (scripts/deps installs the openttd-openmsx set)"

shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
crop() { convert "$work/$1.png" -crop "$3+$((left + $4))+$((top + $5))" +repage "$work/$1-$2.png"; }
differing() { compare -metric AE "$work/$1-$3.png" "$work/$2-$3.png" null: 2>&1 | cut -d' ' -f1; }

# The game as it starts, for its own title plate.
launch_game "$game"
find_main_window
sleep 0.5
shot plain
crop plain title 186x22 45 7
end_game

unset QT_QPA_PLATFORM
"$game" "$song" >"$work/out.log" 2>&1 &
pid=$!
find_main_window
sleep 0.5
[ -z "$(message_boxes)" ] || fail "a message box is open after opening $song"
shot chosen
crop chosen title 186x22 45 7
[ "$(differing plain chosen title)" -gt 100 ] || fail "the title plate still shows the game's own song"
press 480 24 75 25  # Start
sleep 4
shot playing1
sleep 0.5
shot playing2
for l in one two; do
  case $l in one) y=115 ;; two) y=285 ;; esac
  crop playing1 $l 290x57 40 $y
  crop playing2 $l 290x57 40 $y
  moved=$(differing playing1 playing2 $l)
  [ "$moved" -gt 300 ] || fail "no balls move along lane $l ($moved pixels changed)"
  echo "lane $l: $moved pixels changed in 0.5 s of $(basename "$song")"
done
end_game

printf 'not a song' >"$work/notes.mid"
unset QT_QPA_PLATFORM
"$game" "$work/notes.mid" >"$work/out.log" 2>&1 &
pid=$!
find_main_window
for _ in $(seq 1 30); do
  [ -n "$(message_boxes)" ] && break
  sleep 0.1
done
[ -n "$(message_boxes)" ] || fail "no message for a file that is no song"
grep -q "notes.mid: not a MIDI file" "$work/out.log" || fail "the message does not say why"
kill -0 "$pid" 2>/dev/null || fail "the game ended on a file that is no song"
echo "a file that is no song: $(grep 'notes.mid' "$work/out.log")"
kill "$pid"
pid=""
echo "PASS"
