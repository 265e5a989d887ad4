# What both end-to-end scripts do with the real game: start it, find its main window, press
# its buttons and end it. Sourced; the caller sets `work` to a scratch folder first.

pid=""
trap 'rm -rf "$work"; [ -n "$pid" ] && kill "$pid" 2>/dev/null' EXIT

fail() {
  echo "FAIL: $*"
  # GRIP_E2E_SHOTS names a folder to keep the screenshots of a failed run in.
  [ -n "${GRIP_E2E_SHOTS:-}" ] && cp "$work"/*.png "$GRIP_E2E_SHOTS/" 2>/dev/null
  [ -f "$work/out.log" ] && sed 's/^/  game: /' "$work/out.log"
  exit 1
}

# Starts GAME [ARGS...] on the X server (not offscreen), its output kept for fail(); sets pid.
launch_game() {
  unset QT_QPA_PLATFORM
  "$@" >"$work/out.log" 2>&1 &
  pid=$!
}

# Waits up to 10 s for the main window and sets wid, left and top. A message box shares the
# window's name, so the main window is the 573-pixel-wide one.
find_main_window() {
  wid=""
  local w geometry
  for _ in $(seq 1 100); do
    for w in $(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null); do
      if xwininfo -id "$w" | grep -q 'Width: 573$'; then wid=$w; fi
    done
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended at start-up"
    sleep 0.1
  done
  [ -n "$wid" ] || fail "no main window appeared"
  geometry=$(xwininfo -id "$wid")
  left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
  top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
}

# The game's other visible windows: its message boxes.
message_boxes() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Grip Rhythm$' 2>/dev/null); do
    [ "$w" = "$wid" ] || echo "$w"
  done
}

# Clicks a button at its designed place in the window (x, y, width, height).
press() { xdotool mousemove $((left + $1 + $3 / 2)) $((top + $2 + $4 / 2)) click 1; }

# Presses End and expects the program to be gone within 5 s with status 0.
end_game() {
  press 528 392 48 25
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "End did not end the program"
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" = 0 ] || fail "exit status $status"
}
