#!/usr/bin/env bash
# A whole game on the real program, on a virtual X server, played with the keys on a short
# song: when the song ends the results stand on the game surface, the training record holds
# one line for the game with its columns as played, and End adds nothing. The game runs from
# a copy of its folder whose song and beat map last 24 s instead of the shipped ones.
# usage: training.sh GAME   (on a machine without a grip ball)
set -u
source_game=$1
work=$(mktemp -d)
. "$(dirname "$0")/window.sh"
start_xserver

folder="$work/game"
mkdir -p "$folder"
for f in griprhythm good.wav balls.dxg Context.dxg Effect.dxg FixedBmp.dxg Gesture.dxg Animation.dxg; do
  cp "$(dirname "$source_game")/$f" "$folder/" || fail "the build has no $f beside the game"
done
# 12 bars of 4/4 at 120 beats a minute, division 100, a note on every beat; a ball for every
# beat of bars 2 to 12, each due at the mark 5 beats after its position.
# The system's Python, which has the python3-mido package.
/usr/bin/python3 - "$folder/invincible.mid" <<'PY' || fail "no short song"
import sys, mido
song = mido.MidiFile(type=1, ticks_per_beat=100)
meta = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=500000, time=0),
                       mido.MetaMessage("time_signature", numerator=4, denominator=4, time=0)])
melody = mido.MidiTrack([mido.Message("program_change", program=0, time=0)])
for beat in range(48):
    melody.append(mido.Message("note_on", note=60 + beat % 12, velocity=90, time=0))
    melody.append(mido.Message("note_off", note=60 + beat % 12, velocity=0, time=80))
    melody.append(mido.MetaMessage("text", text="", time=20))
song.tracks += [meta, melody]
song.save(sys.argv[1])
PY
for bar in $(seq 2 12); do for beat in 0 1 2 3; do echo "$bar:$beat:0"; done; done >"$folder/Fine.txt"
record="$work/user/data/griprhythm/training.csv"

launch_game "$folder/griprhythm"
find_main_window
sleep 0.5
[ -z "$(message_boxes)" ] || fail "a message box is open at start-up"
shot() { import -window root "$work/$1.png" || fail "no screenshot $1"; }
# The results stand on player one's track, left of the ring: cream lettering on a dark plate,
# a colour neither the balls nor the track have.
notices() { convert "$work/$1.png" -crop "232x44+$((left + 37))+$((top + 123))" +repage "$work/$1-notices.png"; }
white() { convert "$work/$1-notices.png" -fx "(r>0.95 && g>0.9 && b>0.75 && b<0.9) ? 1 : 0" -format '%[fx:int(mean*w*h)]' info:; }

press 296 392 73 17  # Easy Mode
press 296 416 97 17  # Only Blue
press 480 24 75 25   # Start
started=$SECONDS
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
end=$((SECONDS + 12))
while [ $SECONDS -lt $end ]; do
  xdotool keydown j; sleep 0.2; xdotool keyup j; sleep 0.1
done
shot playing
[ -f "$record" ] && fail "the record was written before the game ended"
while [ $((SECONDS - started)) -lt 27 ]; do
  xdotool keydown j; sleep 0.2; xdotool keyup j; sleep 0.1
done
sleep 1
shot results
notices playing
notices results
before=$(white playing)
after=$(white results)
echo "results: $before cream pixels while playing, $after with the results"
[ "$after" -gt $((before * 2 + 150)) ] || fail "no results on the surface when the song ended"
[ -n "${GRIP_E2E_SHOTS:-}" ] && cp "$work/results.png" "$GRIP_E2E_SHOTS/training-results.png"

[ -f "$record" ] || fail "no training record at $record"
[ "$(wc -l <"$record")" = 2 ] || fail "the record holds $(wc -l <"$record") lines, not the header and one game: $(cat "$record")"
head -1 "$record" | grep -qx 'started,song,player,input,seconds,melody_speed,easy_mode,only_blue,small_shift,balls,balls_hit,hits,percent,longest_combo,score,grips,peak_force,mean_grip_force,calibrated_peak,name,level,mode,session,test_pace_per_minute,test_hold_seconds,timing_mean_ms,timing_spread_ms' \
  || fail "the record's header is $(head -1 "$record")"
line=$(tail -1 "$record")
echo "recorded: $line"
IFS=, read -r when song player input seconds speed easy blue small balls hit hits percent combo score grips peak mean calibrated name level mode later <<<"$line"
[[ "$when" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2}$ ]] || fail "started is '$when'"
[ "$song/$player/$input/$speed/$easy/$blue/$small" = "invincible.mid/1/keyboard/100/1/1/0" ] || fail "the game's settings are recorded as $song/$player/$input/$speed/$easy/$blue/$small"
awk -v s="$seconds" 'BEGIN { exit !(s >= 22 && s <= 27) }' || fail "the song played for $seconds s, not its 24"
[ "$balls" -ge 30 ] && [ "$hit" -ge 10 ] && [ "$hits" -ge "$hit" ] && [ "$grips" -ge 20 ] || fail "balls $balls, hit $hit, hits $hits, grips $grips"
[ "$score" = $((hits * 50)) ] && [ "$peak" = 12 ] && [ -z "$calibrated" ] || fail "score $score, peak $peak, calibrated '$calibrated'"
[ "$name/$level/$mode/$later" = "/map/game/,,,," ] || fail "name, level, mode and the rest are '$name/$level/$mode/$later'"

end_game
[ "$(wc -l <"$record")" = 2 ] || fail "End added to the record of a game that had ended"
# (The sound server's client keeps its own files there; the game has no business there.)
[ -e "$work/user/config/griprhythm" ] && fail "the game wrote to the configuration folder: $(ls -R "$work/user/config/griprhythm")"
[ "$(ls "$work/user/data")" = griprhythm ] && [ "$(ls "$work/user/data/griprhythm")" = training.csv ] \
  || fail "the game wrote more than its record: $(ls -R "$work/user/data")"
echo "training: the results on the surface, the game in the record, nothing more"
