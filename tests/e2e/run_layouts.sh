#!/usr/bin/env bash
# Catches keys taken by one layout's letters instead of their place: the real program under Xvfb, with each layout
# set by setxkbmap, gets keys by X keycode (the layout decides the symbol). Prints a layout × action table; a failed
# cell, or a tool or display that will not start, fails the run.   run_layouts.sh path/to/clockwell
set -uo pipefail
exe="$(realpath "$1")" work="$(mktemp -d)" pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# A free display of the server's own choosing, so that runs side by side never meet.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
xdotool getmouselocation >/dev/null 2>&1 || { echo "layouts: FAIL: no display (Xvfb and xdotool installed?)"; exit 1; }
openbox >/dev/null 2>&1 & pids+=($!)
cp "$exe" "$work/clockwell"
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
{ printf '###ZWEBSCO###\0'; for _ in $(seq 10); do printf '\0\n'; done; } >"$work/zweb.sco"

windows() { xdotool search --onlyvisible --name '^Clockwell' 2>/dev/null | wc -l; }
# Starts the program and a game in it; the well's inside is 32 px from the client's left, 352 px above its bottom.
start() {
  "$work/clockwell" >>"$work/game.log" 2>&1 &
  game=$! && pids+=("$game")
  for _ in $(seq 100); do [ "$(windows)" = 1 ] && break; sleep 0.1; done
  win="$(xdotool search --onlyvisible --name '^Clockwell' | head -1)" && [ -n "$win" ] || return 1
  sleep 0.5 && xdotool windowactivate --sync "$win"
  read -r X Y _ H <<<"$(xwininfo -id "$win" | sed -n 's/.*\(Absolute upper-left [XY]\|Width\|Height\): *//p' | tr '\n' ' ')"
  well="128x320+$((X + 32))+$((Y + H - 352))"
  key Return && sleep 1.5
}
key() { xdotool key --clearmodifiers --delay 80 "$@"; sleep 0.4; }
# Pixels of the prompts' cyan in the well; the left edge of what stands out from the empty well's black and grey.
shot() { import -window root "$work/shot.png" && convert "$work/shot.png" -crop "$well" +repage "$@"; }
cyan() { shot -format %c histogram:info:- | sed -n 's/^ *\([0-9]*\):.*#00C8C8.*/\1/p' | grep . || echo 0; }
figure_x() { shot -fill black -opaque '#808080' -trim -format %X info: | tr -d +; }
# True once the program has ended by itself with status 0.
ends() { for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done; ! kill -0 "$game" 2>/dev/null && wait "$game"; }
# The actions, each from where the one before left the game. The key labelled Z (Y's place on a US keyboard,
# for German) must leave a question waiting; after No, Esc asks again as the game goes on; Yes to the exit prompt
# ends the game, so a close then asks nothing.
arrows() { x0="$(figure_x)" && key Left Left && [ "$(figure_x)" = $((x0 - 32)) ] && key Right && [ "$(figure_x)" = $((x0 - 16)) ]; }
P() { key $kp && [ "$(cyan)" -gt 300 ] && key $kp && [ "$(cyan)" = 0 ]; }
exit-N() { key Escape $kz && [ "$(cyan)" -gt 300 ] && key $kn && [ "$(cyan)" = 0 ] && key Escape && [ "$(cyan)" -gt 300 ]; }
exit-Y() { key $ky && [ "$(cyan)" = 0 ] && sleep 3 && wmctrl -c Clockwell && ends; }
close-N() { wmctrl -c Clockwell && sleep 0.6 && [ "$(windows)" = 2 ] && key $kz $kn && [ "$(windows)" = 1 ] && kill -0 "$game"; }
close-Y() { wmctrl -c Clockwell && sleep 0.6 && [ "$(windows)" = 2 ] && key $ky && ends; }
check() { for a in "$@"; do "$a" && row+="$(printf ' %-7s' pass)" || { row+="$(printf ' %-7s' FAIL)" && status=1; }; done; }

status=0
printf '%-13s %-7s %-7s %-7s %-7s %-7s %-7s\n' layout arrows P exit-N exit-Y close-N close-Y
for layout in us de ru 'ru(phonetic)' ua; do
  variant="$(sed -n 's/.*(\(.*\))/\1/p' <<<"$layout")"
  setxkbmap -layout "${layout%%(*}" -variant "$variant" || { echo "layouts: FAIL: setxkbmap $layout"; exit 1; }
  # X keycodes of P, N and the keys labelled Y and Z; German layouts swap the labels Y and Z.
  kp=33 kn=57 ky=29 kz=52 && [ "$layout" = de ] && ky=52 kz=29
  row="$(printf '%-13s' "$layout")"
  start; check arrows P exit-N exit-Y
  kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
  start; check close-N close-Y
  kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
  echo "$row"
done
[ "$status" = 0 ] || { cat "$work/game.log"; echo "layouts: FAIL"; exit 1; }
echo "layouts: passed"
