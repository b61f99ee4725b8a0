#!/usr/bin/env bash
# The real program under Xvfb and a window manager, played with real keys, its screen read, closed as the window
# manager and the system close it; then each keyboard layout (setxkbmap), keys pressed by keycode, must act by their
# place (a layout x action table). A missing tool or a display that will not start fails the run.
#   run_e2e.sh path/to/clockwell assets-folder
set -euo pipefail
exe="$(realpath "$1")" assets="$2" work="$(mktemp -d)" pids=()
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  cp "$work/shot.png" /tmp/clockwell-e2e-fail.png 2>/dev/null && echo "e2e: screen kept in /tmp/clockwell-e2e-fail.png"
  echo "e2e: FAIL: $*" && exit 1
}
for tool in Xvfb openbox wmctrl xdotool xwininfo import convert setxkbmap; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh installs it)"
done
# Tries a command every 0.1 s, up to $1 times: waits on a condition, never a fixed time.
waitfor() { for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
{ env -u DISPLAY "$exe" 2>&1 || true; } | grep -q 'needs a graphical desktop' || fail "no plain message without a display"
# A display number no other server holds: Xvfb picks it and writes it once it accepts clients.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
waitfor 50 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")" && rm "$work/display"
openbox >/dev/null 2>&1 & pids+=($!)
waitfor 50 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
cp "$exe" "$work/clockwell"
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
{ printf '###ZWEBSCO###\0'; for _ in $(seq 10); do printf '\0\n'; done; } >"$work/zweb.sco"
touch -d '2001-01-01' "$work/zweb.cfg"

start() {
  "$work/clockwell" >>"$work/game.log" 2>&1 &
  game=$! && pids+=("$game")
  found() { win="$(xdotool search --onlyvisible --name '^Clockwell' 2>/dev/null | head -1)" && [ -n "$win" ]; }
  waitfor 100 found || fail "no window titled Clockwell appeared"
  waitfor 50 sh -c "xwininfo -id $win | grep -q IsViewable" || fail "the window was never mapped"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus "$win"
  # The client area on the screen, wherever the window manager's frame has put it.
  read -r X Y W H <<<"$(xwininfo -id "$win" | sed -n 's/.*\(Absolute upper-left [XY]\|Width\|Height\): *//p' | tr '\n' ' ')"
  px=$((X + 16)) py=$((Y + H - 353 + 1))
  well="128x320+$((px + 16))+$py" # inside the walls
}
gone() { ! kill -0 "$game" 2>/dev/null; }
# Closes the window as the window manager does; true once the program has ended within five seconds.
close_window() { wmctrl -c "Clockwell" || fail "the window manager found no window to close"; waitfor 50 gone; }
# A key press animates its button for 200 ms and a second press within it is swallowed, as a click would be.
key() { xdotool key --delay 60 "$@" && sleep 0.3; }
rgb() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r+.5)],%[fx:int(255*p{$2,$3}.g+.5)],%[fx:int(255*p{$2,$3}.b+.5)]" info:; }
# True when the play area's pixel (x, y) now has this colour.
shows() { import -window root "$work/shot.png" && [ "$(rgb "$work/shot.png" $((px + $1)) $((py + $2)))" = "$3" ]; }
wall="$(rgb "$assets/bmp/101.bmp" 2 8)"
start
[ "$W" = 314 ] && [ "$H" -ge 353 ] || fail "the window is ${W}x$H"
key Return
waitfor 30 shows 2 328 "$wall" || fail "the floor is not drawn with the wall picture"
shows 146 56 "$wall" || fail "the right wall is not the wall picture"
# Esc until the prompt is up: it does nothing in the intro, nor once the prompt waits.
prompt() { key Escape && shows 40 162 "0,200,200"; }
waitfor 30 prompt || fail "no exit prompt on Esc"
key y
waitfor 50 shows 1 100 "0,155,50" || fail "the game did not end in the score table after Yes"
close_window || fail "the idle window did not close"
[ "$(stat -c %Y "$work/zweb.cfg")" = "$(date -d 2001-01-01 +%s)" ] || fail "unchanged settings were written"
start
key F3
close_window || fail "the window did not close after F3"
grep -q $'Sound>\r\nYes' "$work/zweb.cfg" || fail "the changed setting was not written"
# A close during a game asks first; Yes, or the system's SIGTERM, SIGHUP or SIGINT, ends the program as a close
# does: status 0, a changed setting saved, nothing left behind.
ended() {
  kill "-$1" "$game"
  waitfor 50 gone || { kill -9 "$game"; fail "$1 $2 left the program running"; }
  wait "$game" || fail "$1 $2 ended the program with status $?"
}
start
key F2 Return
waitfor 30 shows 2 328 "$wall" || fail "no game started"
ended TERM "during a game"
grep -q $'Next>\r\nNo' "$work/zweb.cfg" || fail "SIGTERM lost the changed setting"
[ "$(ls "$work" | sort | tr '\n' ' ')" = "clockwell game.log shot.png zweb.cfg zweb.sco " ] || fail "files left: $(ls "$work")"
start
key Return
waitfor 30 shows 2 328 "$wall" || fail "no game started"
! close_window || fail "a close during a game did not ask first"
ended HUP "with the close question open"
start
ended INT "while idle"

windows() { xdotool search --onlyvisible --name '^Clockwell' 2>/dev/null | wc -l; }
# Pixels of the prompts' cyan in the well; the left edge of what stands out from the empty well's black and grey.
shot() { import -window root "$work/shot.png" && convert "$work/shot.png" -crop "$well" +repage "$@"; }
cyan() { shot -format %c histogram:info:- | sed -n 's/^ *\([0-9]*\):.*#00C8C8.*/\1/p' | grep . || echo 0; }
figure_x() { shot -fill black -opaque '#808080' -trim -format %X info: | tr -d +; }
ends() { waitfor 50 gone && wait "$game"; }
# The actions, each from where the one before left the game. The key labelled Z (Y's place on a US keyboard,
# for German) must leave a question waiting; after No, Esc asks again as the game goes on; Yes to the exit prompt
# ends the game, so a close then asks nothing; Yes to the close question ends the program with status 0.
at() { [ "$(figure_x)" = "$1" ]; }
arrows() { x0="$(figure_x)" && key Left Left && waitfor 30 at $((x0 - 32)) && key Right && waitfor 30 at $((x0 - 16)); }
boxed() { [ "$(cyan)" -gt 300 ]; }
unboxed() { [ "$(cyan)" = 0 ]; }
asks() { [ "$(windows)" = 2 ]; }
P() { key $kp && waitfor 30 boxed && key $kp && waitfor 30 unboxed; }
exit-N() { key Escape $kz && waitfor 30 boxed && key $kn && waitfor 30 unboxed && key Escape && waitfor 30 boxed; }
exit-Y() { key $ky && waitfor 30 unboxed && sleep 3 && wmctrl -c Clockwell && ends; }
close-N() { wmctrl -c Clockwell && waitfor 30 asks && key $kz $kn && waitfor 30 eval '! asks' && kill -0 "$game"; }
close-Y() { wmctrl -c Clockwell && waitfor 30 asks && key $ky && ends; }
check() { for a in "$@"; do "$a" && row+="$(printf ' %-7s' pass)" || { row+="$(printf ' %-7s' FAIL)" && status=1; }; done; }
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
status=0
printf '%-13s %-7s %-7s %-7s %-7s %-7s %-7s\n' layout arrows P exit-N exit-Y close-N close-Y
for layout in us de ru 'ru(phonetic)' ua; do
  setxkbmap -layout "${layout%%(*}" -variant "$(sed -n 's/.*(\(.*\))/\1/p' <<<"$layout")" || fail "setxkbmap $layout"
  # X keycodes (evdev code + 8) of P, N and the keys labelled Y and Z; German layouts swap the labels Y and Z.
  kp=33 kn=57 ky=29 kz=52 && [ "$layout" != de ] || ky=52 kz=29
  row="$(printf '%-13s' "$layout")"
  for actions in "arrows P exit-N exit-Y" "close-N close-Y"; do
    start && key Return && sleep 1.5 # the intro's second, which ignores the keys
    check $actions
    kill "$game" 2>/dev/null && wait "$game" 2>/dev/null || true
  done
  echo "$row"
done
[ "$status" = 0 ] || fail "a key did not act with some layout (table above)"
! grep -qiE 'error|asan|runtime error' "$work/game.log" || { cat "$work/game.log"; fail "the game printed errors"; }
echo "e2e: well drawn; WM close writes changed settings only; SIGTERM, SIGHUP, SIGINT end it as a close; keys act by"\
  "their place with every layout; passed"
