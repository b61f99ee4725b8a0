# Sound servers of their own for the real-sound test, headless, as root or not, each in a private runtime folder.
# Source it, then:
#   sound_server_start pulse|pipewire DIR   starts the server with DIR/run as XDG_RUNTIME_DIR (exported, with
#                                           PULSE_SERVER), a null sink "clockwell" at 48 kHz mono as the default
#                                           sink; returns 1 when it does not answer within 20 seconds
#   sound_server_kill                       ends the server abruptly (SIGKILL), as a crash would
#   sound_server_stop                       ends every process it started
#   sound_record FILE                       records the sink's monitor, 48 kHz mono s16le, into FILE, each block
#                                           read stamped with CLOCK_MONOTONIC as it arrives (FILE.times)
sound_server_pids=()

sound_server_start() {
  local kind="$1" dir="$2"
  mkdir -p "$dir/run" "$dir/home"
  chmod 700 "$dir/run"
  export XDG_RUNTIME_DIR="$dir/run" HOME="$dir/home" PULSE_SERVER="unix:$dir/run/pulse/native"
  unset PULSE_COOKIE PIPEWIRE_REMOTE
  if [ "$kind" = pulse ]; then
    # Root is warned, not refused, without --system; no session bus, no autospawn, no idle exit.
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no --log-target=stderr \
      -L "module-null-sink sink_name=clockwell rate=48000 channels=1" \
      -L "module-native-protocol-unix auth-anonymous=1" >"$dir/server.log" 2>&1 &
    sound_server_pids+=($!)
  else
    # WirePlumber wants a session bus; the test brings its own.
    local bus
    bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)" || return 1
    export DBUS_SESSION_BUS_ADDRESS="${bus%%$'\n'*}"
    sound_server_pids+=("${bus##*$'\n'}")
    pipewire >"$dir/server.log" 2>&1 &
    sound_server_pids+=($!)
    # Its clients give up at once when the server is not yet listening.
    local _
    for _ in $(seq 200); do [ -S "$dir/run/pipewire-0" ] && break; sleep 0.1; done
    wireplumber >"$dir/session.log" 2>&1 &
    sound_server_pids+=($!)
    pipewire-pulse >"$dir/pulse.log" 2>&1 &
    sound_server_pids+=($!)
  fi
  local _
  for _ in $(seq 200); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || return 1
  if [ "$kind" = pipewire ]; then
    pactl load-module module-null-sink sink_name=clockwell rate=48000 channels=1 >/dev/null || return 1
  fi
  # The session manager may take a while, on a busy machine, to make the new sink the default.
  for _ in $(seq 200); do
    pactl set-default-sink clockwell 2>/dev/null && pactl info | grep -q '^Default Sink: clockwell$' && return 0
    sleep 0.1
  done
  return 1
}

sound_server_kill() { kill -KILL "${sound_server_pids[@]}" 2>/dev/null || true; }

sound_server_stop() {
  kill "${sound_server_pids[@]}" 2>/dev/null || true
  wait "${sound_server_pids[@]}" 2>/dev/null || true
  sound_server_pids=()
}

sound_record() {
  parec --latency-msec=5 -d clockwell.monitor --raw --format=s16le --rate=48000 --channels=1 |
    /usr/bin/python3 -c '
import os, sys, time
out, times = open(sys.argv[1], "wb"), open(sys.argv[1] + ".times", "w")
n = 0
while True:
    b = os.read(0, 960)
    if not b:
        break
    t = time.monotonic()
    out.write(b)
    n += len(b) // 2
    times.write("%d %.6f\n" % (n, t))
    out.flush()
    times.flush()
' "$1"
}
