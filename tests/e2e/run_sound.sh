#!/usr/bin/env bash
# The real program played on PulseAudio, then PipeWire, null sinks recorded: every clip called heard in order with
# silence between; a server killed mid-game leaves the game answering. A server that does not start fails it.
#   run_sound.sh path/to/clockwell assets-folder      (KEEP=1 keeps the recordings and logs in /tmp)
set -euo pipefail
exe="$(realpath "$1")" assets="$(realpath "$2")" here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../tools/sound-server.sh"
work="$(mktemp -d)" pids=()
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
trap 'kill "${pids[@]}" 2>/dev/null; sound_server_stop; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "sound: FAIL: $*" && exit 1; }
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" && [ "$DISPLAY" != ":" ] || fail "Xvfb did not start"
openbox >/dev/null 2>&1 & pids+=($!)
# The keys that place the figures of run 4, a word a figure (from the suites' computer player): 34 landings, seven
# clearing rows. A pause comes before the 17th.
moves='^^<<<_ ^<<<<_ <<_ _ ^^>>_ >>_ >_ >>_ >>_ >>_ <<<_ >>>>_ <_ <<<_ _ >>_ p <<<_ ^<<_ _ >>_ _ >>>>_ <<_ ^_ ^<<<_
       ^_ ^^_ ^_ >>_ <<_ ^<_ ^>_ >>>>_ >>>_'
# play KIND KILL_AT: a game on a fresh server of this kind, the server killed before figure KILL_AT (0: never).
play() {
  local i=0 rec w win="" && dir="$work/$1-$2" && mkdir -p "$work/$1-$2/game"
  sound_server_start "$1" "$dir" || { tail -n 20 "$dir"/*.log; fail "$1: the sound server did not start"; }
  sound_record "$dir/rec" & rec=$!
  cp "$exe" "$dir/game/clockwell"
  printf '###ZWEBCFG###\r\nSound>\r\nYes\r\nNext>\r\nNo\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$dir/game/zweb.cfg"
  { printf '###ZWEBSCO###\0'; printf '\0\n%.0s' {1..10}; } >"$dir/game/zweb.sco"
  CLOCKWELL_FIGURE_RUN=4 CLOCKWELL_SOUND_TRACE="$dir/trace" "$dir/game/clockwell" >"$dir/game.log" 2>&1 &
  game=$! && pids+=("$game")
  for _ in $(seq 100); do # the main window once it has its size (the first one shown may be replaced)
    for w in $(xdotool search --onlyvisible --name '^Clockwell' 2>/dev/null); do
      xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 314$' && win="$w"
    done
    [ -z "$win" ] && sleep 0.1 || break
  done
  [ -n "$win" ] && sleep 0.5 || fail "$1: no window"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus "$win"
  xdotool key --delay 60 Return && sleep 1.6
  for m in $moves; do
    [ "$((i += 1))" != "$2" ] || sound_server_kill
    [ "$m" != p ] || { xdotool key p && sleep 1.5 && xdotool key p && sleep 0.3 && continue; } # must be silent
    xdotool key --delay 40 $(sed 's/\^/Up /g; s/</Left /g; s/>/Right /g; s/_/space/' <<<"$m") && sleep 0.75
  done
  # Figures dropped where they enter fill the well: the game-lost tune, cut a second later by the closing clip.
  for _ in $(seq 40); do grep -q ' 101016$' "$dir/trace" && break || xdotool key space && sleep 0.4; done
  sleep 1 && xdotool key Escape && sleep 4.5
  [ "$2" != 0 ] || [ -z "$(pactl list short sink-inputs)" ] || fail "$1: a stream stays open after the clips"
  wmctrl -c Clockwell # still answering: the close ends the program, with status 0
  for _ in $(seq 50); do kill -0 "$game" 2>/dev/null && sleep 0.1 || break; done
  ! kill -0 "$game" 2>/dev/null || fail "$1 (server killed: $2): the game no longer answers a close"
  wait "$game" || fail "$1 (server killed: $2): the game ended with status $?"
  sound_server_stop && { wait "$rec" || true; }
}
for kind in pulse pipewire; do
  play "$kind" 0
  /usr/bin/python3 "$here/find_clips.py" "$dir" "$assets/wav" || fail "$kind: the recording does not hold the clips"
  play "$kind" 12
  [ "$(grep -c ' 420$' "$dir/trace")" -ge 20 ] || fail "$kind: the game stopped landing figures"
done
echo "sound: every clip heard in order with silence between on PulseAudio and PipeWire; a killed server is survived"
