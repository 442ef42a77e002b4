#!/usr/bin/env bash
# The scene editor under a private X server, on a copy of the runnable tree:
# in edit mode's terrain page a click picks a piece of the ground, a Shift drag
# lifts it, Ctrl+Insert makes a copy that a second drag carries aside, Ctrl+S
# saves; the game started again shows both pieces where they were left, and the
# scene file holds one terrain object more. Screenshots are kept in the output
# folder for a person to look at.
# usage: sceneedit_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
source "$here/game_session.sh"
down() { step xdotool keydown --window "$(window_id)" "$1"; }
up() { step xdotool keyup --window "$(window_id)" "$1"; }
mouse_to() { step xdotool mousemove --window "$(window_id)" "$1" "$2"; sleep 0.15; }
shot() { step import -window "$(window_id)" "$out/$1.png" || fail "no screenshot $1"; }
pixels() { step /usr/bin/python3 "$here/pixels.py" "$@"; }
changed() { pixels changed "$out/$1.png" "$out/$2.png" --box "$3" | awk '{ print $1 }'; }
terrain_count() { od -An -tu4 -j1 -N4 "$1" | tr -d ' '; }

# A Shift drag of the left button by (dx, dy) from the point, a few frames at a time.
shift_drag() {
  local x=$1 y=$2 dx=$3 dy=$4
  mouse_to "$x" "$y"
  down shift
  sleep 0.2
  step xdotool mousedown 1
  sleep 0.2
  for i in 1 2 3 4; do mouse_to $((x + dx * i / 4)) $((y + dy * i / 4)); done
  step xdotool mouseup 1
  sleep 0.2
  up shift
  sleep 0.2
}

cp -r "$tree" "$work/tree" || fail "cannot copy $tree"
scene="$work/tree/Scenes/Scene01.kis"
count_before=$(terrain_count "$scene")

start_game "$work/tree/Bin" "$out/sceneedit-stderr.txt"
# The first frames load the content: keys before that are not seen.
sleep 3
key p
sleep 1
shot edit-before
key F2
sleep 0.3
key 2
sleep 0.3
# A click on the ground at the left (the editor's window covers the right)
# picks the topmost piece there.
mouse_to 300 545
step xdotool click 1
sleep 0.3
shift_drag 300 545 0 -120
shot edit-lifted
key ctrl+Insert
sleep 0.3
shift_drag 300 425 220 0
shot edit-copied
down ctrl
down s
sleep 0.3
up s
up ctrl
sleep 1
stop_game

count_after=$(terrain_count "$scene")
[ "$count_after" -eq $((count_before + 1)) ] ||
  fail "the saved scene holds $count_after terrain objects, $count_before before the copy"
echo "terrain objects: $count_before, then $count_after"

# The X server starts afresh when its last client has gone: wait until it answers again.
for _ in $(seq 50); do
  step xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
start_game "$work/tree/Bin" "$out/sceneedit-restart-stderr.txt"
sleep 3
key p
sleep 1
shot edit-restarted
stop_game

# Where the lifted piece and its copy now lie, the picture differs from the
# first start's; the copy lies where no piece lay before.
lifted=$(changed edit-before edit-restarted 250,390,350,460)
copied=$(changed edit-before edit-restarted 470,390,570,460)
echo "changed pixels: $lifted where the piece was lifted to, $copied where its copy went"
[ "$lifted" -gt 1500 ] || fail "the lifted piece does not show after the restart ($lifted pixels changed)"
[ "$copied" -gt 1500 ] || fail "the copy does not show after the restart ($copied pixels changed)"
echo "PASS"
