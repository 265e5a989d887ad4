# What the scripts that run the real game share: a virtual X server of their own, starting the
# game, finding its main window, pressing its buttons and ending it, and tidying up whatever
# ends the script. Sourced; the caller sets `work` to a scratch folder first.

pid=""
xserver=""
exit_steps=()
# Adds a command to what the script's end runs (before the game and the X server are ended).
on_exit() { exit_steps+=("$1"); }
finish() {
  local step
  for step in "${exit_steps[@]}"; do eval "$step"; done
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  if [ -n "$xserver" ]; then
    kill "$xserver" 2>/dev/null
    wait "$xserver" 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT
# A script stopped from outside (a test's time-out) still tidies up.
trap 'exit 143' TERM INT HUP

fail() {
  echo "FAIL: $*"
  # GRIP_E2E_SHOTS names a folder to keep the screenshots of a failed run in.
  [ -n "${GRIP_E2E_SHOTS:-}" ] && cp "$work"/*.png "$GRIP_E2E_SHOTS/" 2>/dev/null
  [ -f "$work/out.log" ] && sed 's/^/  game: /' "$work/out.log"
  exit 1
}

# Starts an X server of the script's own, 800 x 600, and exports DISPLAY and XAUTHORITY for it.
# The server picks a display that is free and writes its number to a descriptor once it takes
# clients, so scripts started together never share one; it takes only clients with its cookie.
# It never resets: a server resets when its last client leaves, and a game started again at that
# moment (the scripts end one game and start the next) finds no server to connect to.
start_xserver() {
  local cookie display="" _
  cookie=$(mcookie)
  export XAUTHORITY=$work/Xauthority
  : >"$XAUTHORITY"
  # The server takes every cookie in its file, whatever display the entry names; the display
  # is known only once the server runs.
  xauth -q -f "$XAUTHORITY" add :0 . "$cookie"
  Xvfb -displayfd 3 -auth "$XAUTHORITY" -screen 0 800x600x24 -nolisten tcp -noreset \
    3>"$work/xdisplay" >"$work/xserver.log" 2>&1 &
  xserver=$!
  for _ in $(seq 1 200); do
    IFS= read -r display <"$work/xdisplay" && break
    kill -0 "$xserver" 2>/dev/null || fail "the X server ended at start-up: $(cat "$work/xserver.log")"
    sleep 0.05
  done
  [ -n "$display" ] || fail "the X server named no display within 10 s"
  [ "$display" = 0 ] || xauth -q -f "$XAUTHORITY" remove :0
  xauth -q -f "$XAUTHORITY" add ":$display" . "$cookie"
  export DISPLAY=:$display
}

# Starts GAME [ARGS...] on the X server (not offscreen), its output kept for fail(); sets pid.
# What the game keeps for the user (its training record, calibrations) goes to $work/user.
launch_game() {
  unset QT_QPA_PLATFORM
  export XDG_DATA_HOME="$work/user/data" XDG_CONFIG_HOME="$work/user/config"
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
