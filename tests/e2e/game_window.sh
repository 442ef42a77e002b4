#!/usr/bin/env bash
# Sourced by the end-to-end scripts after they define fail and step: finds the
# game's window, starts the game of a runnable tree, waiting for its window,
# and reads the colours of its screenshots.

window_id() { step xdotool search --name '^Orlimbar$' 2>/dev/null | head -1; }

# start_game <program folder> <stderr file>: sets $game to the game's process.
start_game() {
  (cd "$1" && exec ./Game) 2>"$2" &
  game=$!
  # The window is made once for the loading screen and may be made again at
  # once: it counts as open only when it is found three polls in a row.
  local seen=0
  for _ in $(seq 200); do
    if [ -n "$(window_id)" ]; then
      seen=$((seen + 1))
      [ "$seen" -ge 3 ] && break
    else
      seen=0
    fi
    kill -0 "$game" 2>/dev/null || fail "the game ended at start: $(cat "$2")"
    sleep 0.05
  done
  [ "$seen" -ge 3 ] || fail "no window titled Orlimbar"
}

# Mean colour of a patch of a screenshot as "r g b" (0..255).
patch_rgb() {
  step convert "$1" -crop "$2" +repage -resize '1x1!' -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}

# Takes screenshots until the patch shows the colour (each channel within 8);
# the last one stays as $out/<name>.png
# (the sourcing script sets $out).
wait_for_patch() { # name, patch, r, g, b
  local name=$1 patch=$2 r g b
  for _ in $(seq 60); do
    if step import -window "$(window_id)" "$out/$name.png" 2>/dev/null; then
      read -r r g b <<<"$(patch_rgb "$out/$name.png" "$patch")"
      if awk -v r="$r" -v g="$g" -v b="$b" -v R="$3" -v G="$4" -v B="$5" \
          'function d(x) { return x < 0 ? -x : x } BEGIN { exit !(d(r - R) <= 8 && d(g - G) <= 8 && d(b - B) <= 8) }'; then
        echo "$name: patch $patch is $r $g $b"
        return 0
      fi
    fi
    sleep 0.25
  done
  fail "$name: patch $patch is $r $g $b, not $3 $4 $5"
}

# Holding Escape ends the game; it must end by itself within a few seconds.
stop_game() {
  step xdotool keydown --window "$(window_id)" Escape
  for _ in $(seq 60); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  timeout 5 xdotool keyup Escape 2>/dev/null
  kill -0 "$game" 2>/dev/null && fail "holding Escape did not end the game"
  wait "$game"
  game=
}
