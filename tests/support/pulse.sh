# A private PulseAudio server with one null sink ("grip", recorded as grip.monitor), for the
# sound benchmarks and tests; works as root and without a user session. Sourced.
#   pulse_start DIR   starts it, its runtime files in DIR, and exports what clients need
#   pulse_stop        ends it; pulse_kill ends it at once (SIGKILL), as a crash would
#
# A null sink with nothing playing renders silence in blocks of two seconds and makes a new
# stream wait for the block to end; a sound card does not. So a silent stream of our own
# keeps the sink running (on a socket of its own), and the clients' socket opens only once
# that stream plays: from then on the server answers as a desktop's does.

pulse_pid=""
pulse_keeper=""

pulse_start() {
  pulse_dir=$1
  mkdir -p "$pulse_dir/pulse"
  chmod 700 "$pulse_dir" "$pulse_dir/pulse"
  export XDG_RUNTIME_DIR=$pulse_dir PULSE_RUNTIME_PATH=$pulse_dir/pulse
  export PULSE_SERVER=unix:$pulse_dir/pulse/native PULSE_STATE_PATH=$pulse_dir/state
  export PULSE_COOKIE=$pulse_dir/cookie
  local keeper=unix:$pulse_dir/keeper _
  rm -f "$pulse_dir/pulse/native" "$pulse_dir/keeper"
  # -n: none of the system's configuration.
  HOME=$pulse_dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-level=error \
    --load="module-null-sink sink_name=grip rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/keeper" \
    >"$pulse_dir/server.log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 1 100); do
    pactl -s "$keeper" info >/dev/null 2>&1 && break
    sleep 0.05
  done
  pacat -s "$keeper" --raw --format=s16le --channels=2 --rate=44100 --latency-msec=20 \
    --stream-name=keeper /dev/zero 2>/dev/null &
  pulse_keeper=$!
  # A tenth of a second of silence that comes back once the sink plays.
  head -c 17640 /dev/zero | timeout 10 pacat -s "$keeper" --raw --format=s16le --channels=2 --rate=44100 \
    --latency-msec=20 2>/dev/null
  if ! pactl -s "$keeper" load-module module-native-protocol-unix auth-anonymous=1 \
      socket="$pulse_dir/pulse/native" >/dev/null 2>&1 || ! pactl info >/dev/null 2>&1; then
    echo "the private PulseAudio server did not start:" >&2
    cat "$pulse_dir/server.log" >&2
    pulse_stop
    return 1
  fi
}

pulse_end() {
  [ -n "$pulse_keeper" ] && kill "$pulse_keeper" 2>/dev/null && wait "$pulse_keeper" 2>/dev/null
  pulse_keeper=""
  [ -n "$pulse_pid" ] || return 0
  kill "-$1" "$pulse_pid" 2>/dev/null
  wait "$pulse_pid" 2>/dev/null
  pulse_pid=""
}
pulse_stop() { pulse_end TERM; }
pulse_kill() { pulse_end KILL; }
