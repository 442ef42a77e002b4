#!/usr/bin/env bash
# Plays the real game under a private X server as a person would: the window
# opens, the default toys fall onto the ground and settle, the window survives
# full screen and a resize, a short Escape tap does not quit, holding Escape
# does. Screenshots are kept in the output folder for a person to look at.
# usage: game_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
mkdir -p "$out"
source "$(dirname "$0")/xvfb.sh"
start_xvfb || exit 1
trap stop_xvfb EXIT
export SDL_AUDIODRIVER=dummy

fail() { echo "FAIL: $*"; kill "$game" 2>/dev/null; exit 1; }

# A picture that is not one flat colour: its pixels vary.
not_blank() {
  local sd
  sd=$(convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info:)
  awk -v s="$sd" 'BEGIN { exit !(s > 0.02) }'
}

window_id() { xdotool search --name '^Orlimbar$' 2>/dev/null | head -1; }

# In full screen the picture is shown in a window of its own over the root:
# take the screen then.
shot() {
  import -window "${2:-$(window_id)}" "$out/$1.png" || fail "no screenshot $1"
  not_blank "$out/$1.png" || fail "screenshot $1 is blank"
}

started=$(date +%s.%N)
(cd "$tree/Bin" && exec ./Game) &
game=$!
for _ in $(seq 100); do
  [ -n "$(window_id)" ] && break
  kill -0 "$game" 2>/dev/null || fail "the game ended at start"
  sleep 0.05
done
[ -n "$(window_id)" ] || fail "no window titled Orlimbar"
opened=$(date +%s.%N)
echo "window after $(echo "$opened - $started" | bc) s"

sleep 1
shot falling
sleep 5
shot settled

# A short tap of Escape does not end the game.
xdotool key --window "$(window_id)" Escape
sleep 1.5
kill -0 "$game" 2>/dev/null || fail "a short Escape tap ended the game"

# Full screen and back, then a resize: the scene keeps drawing.
xdotool key --window "$(window_id)" alt+Return
sleep 2
shot fullscreen root
xdotool key --window "$(window_id)" alt+Return
sleep 2
xdotool windowsize "$(window_id)" 800 450
sleep 2
shot resized
size=$(identify -format '%wx%h' "$out/resized.png")
[ "$size" = "800x450" ] || fail "the resized window is $size"

# Holding Escape ends the game with status 0.
xdotool keydown --window "$(window_id)" Escape
for _ in $(seq 40); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape 2>/dev/null
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "PASS"
