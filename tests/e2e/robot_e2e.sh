#!/usr/bin/env bash
# Plays the shipped robot in the real game under a private X server, on a copy
# of the runnable tree: the game opens with the robot in view and the rock
# debris pouring down just ahead of it; held Return fires its gun, and the
# shots cross the sky; a held D walks it to the right (its eyes move right
# between the pictures before and after). Screenshots
# are kept in the output folder for a person to look at. Every step is bounded
# in time.
# usage: robot_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
source "$here/game_session.sh"
shot() { step import -window "$(window_id)" "$out/$1.png" || fail "no screenshot $1"; }
pixels() { step /usr/bin/python3 "$here/pixels.py" "$@"; }
field() { echo "$1" | awk -v n="$2" '{ print $n }'; }
# "count centre_x centre_y" of the robot's eyes in a screenshot. The robot
# stands right of the mound; the toys, some of them yellow, lie left of it.
robot() { pixels robot "$out/$1.png" --box "$robot_box" || fail "cannot read screenshot $1"; }
# Pixels of a box that changed between two screenshots, and how many of them took one of the colours.
changed() { # before after l,t,r,b colours...
  local before=$1 after=$2 box=$3
  shift 3
  pixels changed "$out/$before.png" "$out/$after.png" --box "$box" "$@" || fail "cannot compare $before and $after"
}
# Held keys go through the X server itself, to the window under the pointer:
# a release sent to the window alone can be lost, and the gun would fire on.
down() { step xdotool keydown "$1"; }
up() { step xdotool keyup "$1"; }

cp -r "$tree" "$work/tree" || fail "cannot copy $tree"
start_game "$work/tree/Bin" "$out/robot-stderr.txt"

# The opening view: the robot stands at the right, its eyes in sight.
seen=""
robot_box="0,0,0,0"
for _ in $(seq 40); do
  sleep 0.5
  shot opening
  read -r width height <<<"$(step identify -format '%w %h' "$out/opening.png")"
  robot_box="$((width * 60 / 100)),0,$((width - 1)),$((height - 1))"
  r=$(robot opening)
  [ "$(field "$r" 1)" -ge 20 ] && { seen=yes; break; }
done
[ -n "$seen" ] || fail "no robot in the opening view: $r"
awk -v x="$(field "$r" 2)" -v w="$width" 'BEGIN { exit !(x > 0.5 * w && x < 0.95 * w) }' ||
  fail "the robot is not in the right half of the opening view: $r in $width x $height"
echo "robot in view at $(field "$r" 2),$(field "$r" 3) of $width x $height"

# The rock debris, in the sky above the robot, keeps moving: two pictures a
# moment apart differ there, in its greys.
debris_box="$((width * 75 / 100)),$((height * 8 / 100)),$((width - 1)),$((height * 45 / 100))"
moving=""
for _ in $(seq 10); do
  sleep 0.4
  shot debris
  result=$(changed opening debris "$debris_box" 90,90,90 160,160,160 230,230,230)
  [ "$(field "$result" 2)" -ge 15 ] && { moving=yes; break; }
done
[ -n "$moving" ] || fail "no rock debris moving in $debris_box: $result"
echo "rock debris: $(field "$result" 1) pixels changed, $(field "$result" 2) in its greys"

# Held Return fires towards the mouse pointer, up above the robot: the
# shots, white and pale grey, cross the sky (the debris is greyer and faint,
# and changes the sky away from white).
step xdotool mousemove --window "$(window_id)" $((width * 50 / 100)) $((height * 10 / 100))
sleep 1.5
shot fire-before
sky_box="$((width * 40 / 100)),$((height * 8 / 100)),$((width - 1)),$((height * 50 / 100))"
down Return
fired=""
for i in $(seq 20); do
  sleep 0.2
  shot "firing"
  result=$(changed fire-before firing "$sky_box" 255,255,255 225,225,225)
  [ "$(field "$result" 2)" -ge 10 ] && { fired=yes; break; }
done
up Return
[ -n "$fired" ] || fail "holding Return showed no shots in $sky_box: $result"
echo "shots in the sky: $(field "$result" 1) pixels changed, $(field "$result" 2) in their colours"

# Held D walks the robot to the right.
start_x=$(field "$r" 2)
shot walk-before
down d
walked=""
for _ in $(seq 30); do
  sleep 0.5
  shot walk-after
  w=$(robot walk-after)
  awk -v a="$start_x" -v b="$(field "$w" 2)" -v n="$(field "$w" 1)" 'BEGIN { exit !(n >= 20 && b > a + 30) }' &&
    { walked=yes; break; }
done
up d
[ -n "$walked" ] || fail "holding D did not walk the robot right: $r, then $w"
result=$(changed walk-before walk-after "0,$((height / 2)),$((width - 1)),$((height - 1))")
echo "robot walked: eyes $start_x -> $(field "$w" 2), $(field "$result" 1) pixels changed below the sky"

stop_game
echo "PASS"
