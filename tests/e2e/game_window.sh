#!/usr/bin/env bash
# Sourced by the end-to-end scripts after they define fail and step: finds the
# game's window and starts the game of a runnable tree, waiting for its window.

window_id() { step xdotool search --name '^Orlimbar$' 2>/dev/null | head -1; }

# start_game <program folder> <stderr file>: sets $game to the game's process.
start_game() {
  (cd "$1" && exec ./Game) 2>"$2" &
  game=$!
  for _ in $(seq 100); do
    [ -n "$(window_id)" ] && break
    kill -0 "$game" 2>/dev/null || fail "the game ended at start: $(cat "$2")"
    sleep 0.05
  done
  [ -n "$(window_id)" ] || fail "no window titled Orlimbar"
}
