#!/usr/bin/env bash
# Starts the real game under a virtual X display, plays it with real key
# presses and checks what the screen shows.
#   run_e2e.sh path/to/clockwell [assets folder]
# Exits 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail
exe="$(realpath "$1")"
assets="${2:-}"
for tool in Xvfb xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "e2e: skipped: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done

work="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e: FAIL: $*"
  [ -f "$work/shot.png" ] && cp "$work/shot.png" "${E2E_KEEP:-/tmp}/clockwell-e2e-fail.png" &&
    echo "e2e: last screen kept in ${E2E_KEEP:-/tmp}/clockwell-e2e-fail.png"
  exit 1
}

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# A copy of the game in a folder of its own, with English texts, sound off,
# the preview on and an empty score table, so that no first-start message waits.
cp "$exe" "$work/clockwell"
printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n' >"$work/zweb.cfg"
{ printf '###ZWEBSCO###\0'; for _ in $(seq 10); do printf '\0\n'; done; } >"$work/zweb.sco"
cfg_before="$(md5sum <"$work/zweb.cfg")"

"$work/clockwell" >"$work/game.log" 2>&1 &
game_pid=$!
win=""
for _ in $(seq 100); do
  win="$(xdotool search --onlyvisible --name '^Clockwell' 2>/dev/null | head -1 || true)"
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no window titled Clockwell appeared"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 314 ] || fail "window is $WIDTH wide, not 314"
menu=$((HEIGHT - 353))
[ "$menu" -ge 0 ] || fail "window is only $HEIGHT high"
# The play area's top-left corner on the screen.
px=$((X + 16))
py=$((Y + menu + 1))
echo "e2e: window $win at $X,$Y size ${WIDTH}x$HEIGHT, play area at $px,$py"
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"

shot() { import -window root "$work/shot.png"; }
# r,g,b of a screen pixel in the last shot.
pixel() { convert "$work/shot.png" -format "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:; }
# How many pixels of the play area have exactly the colour r,g,b.
count_colour() {
  convert "$work/shot.png" -crop "160x336+$px+$py" +repage -fill black +opaque "rgb($1)" -fill white -opaque "rgb($1)" \
    -format "%[fx:int(mean*w*h+0.5)]" info:
}
key() { xdotool key --delay 60 "$@"; sleep 0.3; }
# Retakes the shot until the play area holds more (or, with "none", no)
# turquoise pixels than a box would leave out, for up to five seconds:
# a loaded machine may take a while to repaint.
wait_box() {
  local n
  for _ in $(seq 25); do
    shot
    n="$(count_colour 0,200,200)"
    if [ "$1" = shown ] && [ "$n" -gt 300 ]; then echo "$n"; return 0; fi
    if [ "$1" = none ] && [ "$n" -eq 0 ]; then echo 0; return 0; fi
    sleep 0.2
  done
  echo "$n"
  return 1
}

# Enter starts a game: after the intro the well has walls and a floor.
key Return
sleep 2.5
shot
if [ -n "$assets" ] && [ -f "$assets/bmp/101.bmp" ]; then
  want="$(convert "$assets/bmp/101.bmp" -format '%[fx:int(255*p{2,8}.r+0.5)],%[fx:int(255*p{2,8}.g+0.5)],%[fx:int(255*p{2,8}.b+0.5)]' info:)"
  got="$(pixel $((px + 2)) $((py + 16 * 20 + 8)))"
  [ "$got" = "$want" ] || fail "floor cell shows $got, the wall picture has $want"
  got="$(pixel $((px + 144 + 2)) $((py + 16 * 3 + 8)))"
  [ "$got" = "$want" ] || fail "right wall shows $got, the wall picture has $want"
  echo "e2e: the well is drawn with the wall picture ($want)"
  # The preview (on in the settings) shows the next figure in settled blocks.
  block="$(convert "$assets/bmp/104.bmp" -format '%[fx:int(255*p{8,8}.r+0.5)],%[fx:int(255*p{8,8}.g+0.5)],%[fx:int(255*p{8,8}.b+0.5)]' info:)"
  n="$(convert "$work/shot.png" -crop "82x82+$((X + 204))+$((Y + menu + 253))" +repage -fill black +opaque "rgb($block)" \
    -fill white -opaque "rgb($block)" -format "%[fx:int(mean*w*h+0.5)]" info:)"
  [ "$n" -ge 400 ] || fail "the preview shows $n pixels of the block colour $block"
  echo "e2e: the preview shows the next figure ($n pixels)"
fi

# P pauses: the turquoise box opens; P again resumes.
key p
n="$(wait_box shown)" || fail "pause box not shown ($n turquoise pixels)"
echo "e2e: pause box shown ($n turquoise pixels)"
key p
n="$(wait_box none)" || fail "pause box still shown ($n turquoise pixels)"

# Esc asks whether to quit; N goes on, Esc and Y end the game.
key Escape
n="$(wait_box shown)" || fail "exit prompt not shown ($n turquoise pixels)"
echo "e2e: exit prompt shown ($n turquoise pixels)"
key n
n="$(wait_box none)" || fail "exit prompt still shown after N ($n)"
key Escape
wait_box shown >/dev/null || fail "exit prompt not shown the second time"
key y
n="$(wait_box none)" || fail "exit prompt still shown after Y ($n)"
sleep 2
kill -0 "$game_pid" 2>/dev/null || fail "the game is gone"

# A second game starts from the idle window.
key Return
sleep 2
n="$(wait_box none)" || fail "a box is open during the second game ($n)"
kill -0 "$game_pid" 2>/dev/null || fail "the game is gone"
kill "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=""
[ "$(md5sum <"$work/zweb.cfg")" = "$cfg_before" ] || fail "the unchanged settings file was rewritten"
if grep -qiE 'error|asan|runtime error' "$work/game.log"; then
  cat "$work/game.log"
  fail "the game printed errors"
fi
echo "e2e: passed"
