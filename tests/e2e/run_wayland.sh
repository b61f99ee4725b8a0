#!/usr/bin/env bash
# The real program on Qt's Wayland platform under Weston, whose X11 output runs inside Xvfb so that XTEST clicks
# and keys reach it. It must name itself with the desktop id, keep its fixed size, take keys, open both dialogs and
# the close question, live through a maximize and a restore from the title bar Qt draws on each of them (a client
# that ignores the maximized size is cut off by the compositor), and end cleanly when closed.
#   run_wayland.sh path/to/clockwell     (a missing tool or a compositor that does not start fails the test)
set -euo pipefail
exe="$(realpath "$1")"
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  cp "$work/b.png" /tmp/clockwell-wayland-fail.png 2>/dev/null && echo "wayland: screen kept in /tmp/clockwell-wayland-fail.png"
  grep -E 'error|fatal' "$work/protocol.log" 2>/dev/null | tail -3 || true
  echo "wayland: FAIL: $*"
  exit 1
}
for tool in Xvfb weston xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh installs it)"
done
export DISPLAY=":$((90 + RANDOM % 100))" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getmouselocation >/dev/null 2>&1 || fail "Xvfb did not start"
# Weston's X11 output covers the screen, so screen and compositor coordinates agree.
weston --backend=x11-backend.so --use-pixman --socket=clockwell --width=800 --height=600 --idle-time=0 \
  >"$work/weston.log" 2>&1 & pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/clockwell" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/clockwell" ] || { tail -20 "$work/weston.log"; fail "Weston did not start"; }
sleep 1
# Weston follows the pointer's moves, not its place, and holds its own pointer inside its output: a move across the
# whole output puts both in its far corner, and from then on they agree.
xdotool mousemove 0 0 sleep 0.1 mousemove 799 599 sleep 0.3

cp "$exe" "$work/clockwell"
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
{ printf '###ZWEBSCO###\0'; for _ in $(seq 10); do printf '\0\n'; done; } >"$work/zweb.sco"
alive() { kill -0 "$game" 2>/dev/null || fail "the game ended $*"; }
key() { xdotool key --delay 80 "$@"; sleep 0.5; }
click() { xdotool mousemove "$1" "$2" sleep 0.3 click 1 sleep 0.3 mousemove 799 599; sleep 1; }
shot() { import -window root -crop 800x568+0+32 "$work/$1.png"; }
# The top edge of the newest window: the first unbroken line of one colour at least as long as the window is wide
# (its frame less the rounded corners) whose right end no line on the screen before ended at. The desktop is
# patterned; on the left the line may run on into a window below. Sets X, Y, W.
appeared() {
  local surface
  surface="$(grep -o 'xdg_surface@[0-9]*\.get_toplevel' "$work/protocol.log" | tail -1 | cut -d. -f1)"
  W="$(grep -o "$surface\.set_window_geometry(0, 0, [0-9]*" "$work/protocol.log" | tail -1 | sed 's/.*, //')"
  W=$((${W:-6} - 6))
  read -r X Y <<<"$(for f in a b; do convert "$work/$f.png" txt:- | awk -F'[,: ]+' -v f="$f" -v w="$W" 'NR > 1 {
      if ($2 != py || $NF != pc || $1 != px + 1) { if (f == "a" || run >= w) print f, start + run, py + 32, run; run = 0; start = $1 }
      run++; py = $2; pc = $NF; px = $1 }'; done | awk -v w="$W" '$1 == "a" { ends[$2, $3] = 1; next }
      !(($2, $3) in ends) { print $2 - w, $3; exit }')" || true
}
# Opens a window with the command given and finds its title bar; Qt draws its maximize button 34 pixels left
# of the right end of the title bar's top edge.
open_window() {
  shot a
  "$@"
  sleep 1.5
  shot b
  X="" Y=""
  appeared
  [ -n "$Y" ] || fail "no new window appeared after: $*"
  max_x=$((X + W - 34)) max_y=$((Y + 15))
}
# Maximize and restore from the title bar, a repaint after each: the compositor cuts off a client whose size
# does not match, and the frame of the maximized window has the whole work area.
maximize_and_restore() {
  local before
  before="$(grep -c 'set_window_geometry(0, 0, 800, 568)' "$work/protocol.log" || true)"
  click "$max_x" "$max_y"
  key "$1"
  alive "after a maximize of the $2"
  [ "$(grep -c 'set_window_geometry(0, 0, 800, 568)' "$work/protocol.log")" -gt "$before" ] ||
    fail "the $2 did not take the maximized size"
  click 766 47
  key "$1"
  alive "after a restore of the $2"
}

start() {
  WAYLAND_DISPLAY=clockwell QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$work/clockwell" >"$work/protocol.log" 2>&1 &
  game=$!
  pids+=("$game")
  for _ in $(seq 100); do grep -qs 'ack_configure' "$work/protocol.log" && break; sleep 0.1; done
}
open_window start
main_x=$X main_y=$Y main_max_x=$max_x main_max_y=$max_y main_close_x=$((X + W - 11))
[ "$W" = 314 ] || fail "the main window is $W pixels wide"
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("org.example.Clockwell")' "$work/protocol.log" || fail "wrong app_id"
grep -q 'set_min_size(314, 372)' "$work/protocol.log" && grep -q 'set_max_size(314, 372)' "$work/protocol.log" ||
  fail "the window's size is not fixed"

# The two dialogs from the Help menu, each maximized, restored and closed with Esc.
for item in 59:About 81:Control; do
  click $((main_x + 20)) $((main_y + 38))
  open_window click $((main_x + 80)) $((main_y + ${item%%:*}))
  maximize_and_restore shift "${item#*:} box"
  key Escape
  alive "when the ${item#*:} box closed"
done
[ "$(grep -c 'xdg_toplevel@[0-9]*\.destroy()' "$work/protocol.log")" -ge 2 ] || fail "a dialog did not close"

# A game, with the main window maximized and restored while it runs; F2 changes a setting to be saved.
click $((main_x + 60)) $((main_y + 15))
key F2 Return
sleep 2
X=$main_x Y=$main_y max_x=$main_max_x max_y=$main_max_y
maximize_and_restore Left "main window"
shot a
sleep 1.5
shot b
! cmp -s "$work/a.png" "$work/b.png" || fail "the game stands still after the maximize"

# The close question during the (paused, so that the screen holds still) game: maximized, restored, answered
# No; the game goes on. Then Yes ends it.
key p
open_window click "$main_close_x" $((main_y + 15))
maximize_and_restore shift "close question"
key n
alive "on No to the close question"
key p
click "$main_close_x" $((main_y + 15))
key y
for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
wait "$game" && rc=0 || rc=$?
[ "$rc" = 0 ] || fail "the close ended the game with status $rc"
grep -q $'Next>\r\nNo' "$work/zweb.cfg" || fail "the changed setting was not saved"
! grep -qE 'wl_display@1\.error|fatal|Protocol error' "$work/protocol.log" || fail "a protocol error"
grep -hE 'set_app_id|set_(min|max)_size' "$work/protocol.log" | sed 's/^\[ *[0-9.]*\] *-> /wayland: /' | sort -u
echo "wayland: keys, both dialogs and the close question work; maximize and restore on each; a clean end; passed"
