#!/usr/bin/env bash
# The real program on Qt's Wayland platform under Weston, inside Xvfb so that XTEST reaches it: the app_id, a fixed
# size, keys, both dialogs and the close question, each maximized and restored from the title bar Qt draws (a
# client that ignores the maximized size is cut off), a clean end. A tool or compositor missing fails it.
set -euo pipefail
work="$(mktemp -d)" pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  cp "$work/b.png" /tmp/clockwell-wayland-fail.png 2>/dev/null && echo "wayland: screen kept in /tmp/clockwell-wayland-fail.png"
  grep -E 'error|fatal' "$work/protocol.log" 2>/dev/null | tail -3 || true
  echo "wayland: FAIL: $*" && exit 1
}
for tool in Xvfb weston xdotool import convert; do command -v "$tool" >/dev/null || fail "no $tool (tools/install-deps.sh)"; done
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" && [ "$DISPLAY" != ":" ] || fail "Xvfb did not start"
# Weston's X11 output covers the screen, so screen and compositor coordinates agree.
weston --backend=x11-backend.so --use-pixman --socket=cw --width=800 --height=600 --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/cw" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/cw" ] || { tail -20 "$work/weston.log"; fail "Weston did not start"; }
# Weston follows the pointer's moves, not its place: a move across the whole output makes both agree from then on.
sleep 1 && xdotool mousemove 0 0 sleep 0.1 mousemove 799 599 sleep 0.3
cp "$(realpath "$1")" "$work/clockwell"
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
{ printf '###ZWEBSCO###\0'; for _ in $(seq 10); do printf '\0\n'; done; } >"$work/zweb.sco"
alive() { kill -0 "$game" 2>/dev/null || fail "the game ended $*"; }
key() { xdotool key --delay 80 "$@"; sleep 0.5; }
click() { xdotool mousemove "$1" "$2" sleep 0.3 click 1 sleep 0.3 mousemove 799 599; sleep 1; }
shot() { import -window root -crop 800x568+0+32 "$work/$1.png"; }
pixels() { convert "$work/$1.png" rgb:- | md5sum; }
# Runs a command that opens a window and finds its title bar: the first one-colour line, at least the frame's width
# less its round corners, ending where no line ended before. Qt's maximize button is 34 pixels left of that end.
open_window() {
  shot a && "$@" && sleep 1.5 && shot b
  local surface
  surface="$(grep -o 'xdg_surface@[0-9]*\.get_toplevel' "$work/protocol.log" | tail -1 | cut -d. -f1)"
  W="$(grep -o "$surface\.set_window_geometry(0, 0, [0-9]*" "$work/protocol.log" | tail -1 | sed 's/.*, //')"
  W=$((${W:-6} - 6)) X="" Y=""
  read -r X Y <<<"$(for f in a b; do convert "$work/$f.png" txt:- | awk -F'[,: ]+' -v f="$f" -v w="$W" 'NR > 1 {
      if ($2 != py || $NF != pc || $1 != px + 1) { if (f == "a" || run >= w) print f, start + run, py + 32; run = 0; start = $1 }
      run++; py = $2; pc = $NF; px = $1 }'; done | awk -v w="$W" '$1 == "a" { ends[$2, $3] = 1; next }
      !(($2, $3) in ends) { print $2 - w, $3; exit }')" || true
  [ -n "$Y" ] || fail "no new window appeared after: $*"
}
# Maximize and restore from the title bar, a repaint after each; maximized, the frame has the whole work area.
maximize_and_restore() {
  local before
  before="$(grep -c 'set_window_geometry(0, 0, 800, 568)' "$work/protocol.log" || true)"
  click $((X + W - 34)) $((Y + 15)) && key "$1" && alive "after a maximize of the $2"
  [ "$(grep -c 'set_window_geometry(0, 0, 800, 568)' "$work/protocol.log")" -gt "$before" ] || fail "the $2 kept its size"
  click 766 47 && key "$1" && alive "after a restore of the $2"
}
start() {
  WAYLAND_DISPLAY=cw QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$work/clockwell" >"$work/protocol.log" 2>&1 &
  game=$! && pids+=("$game")
  for _ in $(seq 100); do grep -qs 'ack_configure' "$work/protocol.log" && break; sleep 0.1; done
}
open_window start
read -r mx my mw <<<"$X $Y $W"
[ "$W" = 314 ] || fail "the main window is $W pixels wide"
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("org.example.Clockwell")' "$work/protocol.log" || fail "wrong app_id"
grep -q 'set_min_size(314, 372)' "$work/protocol.log" && grep -q 'set_max_size(314, 372)' "$work/protocol.log" ||
  fail "the window's size is not fixed"
for item in 59:About 81:Control; do # the two dialogs from the Help menu, closed with Esc
  click $((mx + 20)) $((my + 38))
  open_window click $((mx + 80)) $((my + ${item%%:*}))
  maximize_and_restore shift "${item#*:} box"
  key Escape && alive "when the ${item#*:} box closed"
done
[ "$(grep -c 'xdg_toplevel@[0-9]*\.destroy()' "$work/protocol.log")" = 2 ] || fail "the dialogs did not close"
# A game (F2: a setting to save), the main window maximized and restored while it runs.
click $((mx + 60)) $((my + 15)) && key F2 Return && sleep 2
read -r X Y W <<<"$mx $my $mw" && maximize_and_restore Left "main window"
shot a && sleep 1.5 && shot b
[ "$(pixels a)" != "$(pixels b)" ] || fail "the game stands still after the maximize"
# The close question, the game paused so that the screen holds still: No goes on, then Yes ends it.
key p && open_window click $((mx + mw - 11)) $((my + 15))
maximize_and_restore shift "close question"
key n && alive "on No to the close question" && key p
click $((mx + mw - 11)) $((my + 15)) && key y
for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$game" 2>/dev/null || fail "Yes to the close question left the game running"
wait "$game" || fail "the close ended the game with status $?"
grep -q $'Next>\r\nNo' "$work/zweb.cfg" || fail "the changed setting was not saved"
! grep -qE 'wl_display@1\.error|fatal|Protocol error' "$work/protocol.log" || fail "a protocol error"
grep -hE 'set_app_id|set_(min|max)_size' "$work/protocol.log" | sed 's/^\[ *[0-9.]*\] *-> /wayland: /' | sort -u
echo "wayland: keys, both dialogs and the close question, each maximized and restored; a clean end; passed"
