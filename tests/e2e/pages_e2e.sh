#!/usr/bin/env bash
# The editor's pages as a player uses them, in the real game under a private X
# server, on a copy of the runnable tree: the terrain page's brightness slider
# darkens the picked piece of ground and the colour picker tints it; the robot
# page empties the robot being edited and the robot library loads the shipped
# one again; a pose angle typed into the robot page is taken back by the
# robot editor's undo; a line typed into the Lua console shows its result; a
# page whose script throws leaves the game running and its error in the
# results (the HUD's notice). Every step waits for what it needs by looking at
# the pixels, a bounded number of times; the screenshots stay in the output
# folder for a person to look at.
# usage: pages_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.png
source "$here/game_session.sh"
mouse_to() { step xdotool mousemove --window "$(window_id)" "$1" "$2"; sleep 0.15; }
click_at() { mouse_to "$1" "$2"; step xdotool click 1; sleep 0.2; }
shot() { step import -window "$(window_id)" "$out/$1.png"; }
pixels() { step /usr/bin/python3 "$here/pixels.py" "$@"; }
# Pixels of the box that changed between two screenshots, and of those the
# ones that took the colour: "changed matching".
changes() { pixels changed "$out/$1.png" "$out/$2.png" --box "$3" "${@:4}"; }
brightness() { # shot, WxH+X+Y: the patch's mean of r + g + b
  local r g b
  read -r r g b <<<"$(patch_rgb "$out/$1.png" "$2")"
  echo $((r + g + b))
}

# poll <name> <what it waits for> <check> [args]: screenshots as <name> until
# the check passes on it, at most 60 times a quarter second apart.
poll() {
  local name=$1 what=$2
  shift 2
  for _ in $(seq 60); do
    if shot "$name" 2>/dev/null && "$@" "$name"; then
      echo "$name: $what"
      return 0
    fi
    sleep 0.25
  done
  fail "$name: $what did not come (last screenshot $out/$name.png)"
}
# Checks for poll; the screenshot's name comes last.
differs() { local n; n=$(changes "$1" "$4" "$2" | awk '{ print $1 }'); [ "$n" -ge "$3" ]; } # ref box min
alike() { local n; n=$(changes "$1" "$4" "$2" | awk '{ print $1 }'); [ "$n" -le "$3" ]; }  # ref box max
gained() { local n; n=$(changes "$1" "$5" "$2" "$3" | awk '{ print $2 }'); [ "$n" -ge "$4" ]; } # ref box colour min
darker() { [ "$(brightness "$3" "$2")" -lt "$(( $(brightness "$1" "$2") / 2 ))" ]; }  # ref patch
lighter() { [ "$(brightness "$3" "$2")" -gt "$(( $(brightness "$1" "$2") + 90 ))" ]; } # ref patch

# Where things are in the 1024 x 576 game window. The mode pages stand at the
# right edge (page area from x 763), the robot editor at the top middle.
nav_terrain=(862 61)
nav_robot=(922 61)
nav_console=(804 180)
page_box=766,30,1016,570
ground_patch=300x40+420+528   # the front piece of ground, below the toys
ground_box=420,528,720,568
brightness_slider_left=(877 401)
fill_colour_swatch=(786 469)
picker_red_end=(533 246)      # the colour picker opens at (200, 200)
picker_green_end=(533 272)
robot_name_box=773,243,916,260
new_robot=(812 296)
robot_editor_box=255,20,695,200
library_first_robot=(100 109)
library_edit=(140 66)
pose_angle_box=873,427,940,442
pose_angle=(905 434)
console_input=(400 460)
console_output_box=160,160,840,470
console_close=(843 55)        # kept on screen, the console stands at (150, 64)
help_box=300,100,700,400      # the help opens in the middle of the window
help_click=(500 250)
hud_notice_box=40,548,400,570

# The help page is the test's own: a click turns it yellow and then throws.
cp -r "$tree" "$work/tree" || fail "cannot copy $tree"
mkdir -p "$work/tree/Editor"
cat >"$work/tree/Editor/kiv_help.html" <<'HTML'
<!DOCTYPE html><html><head><meta charset="utf-8"><title>HELP (F1)</title>
<script src="kiv_edit.js"></script>
<style>html, body { margin: 0; height: 100%; background: #2040c0; }</style></head>
<body onclick="document.body.style.background = '#c0c000'; no_such_function();"></body></html>
HTML

start_game "$work/tree/Bin" "$out/pages-stderr.txt"
mouse_to 40 560
wait_for_patch start 200x200+800+100 107 161 219
key p
key F2
# The page may be caught half drawn or whole: any large change over the page area will do.
poll editor "the editor's page" differs start "$page_box" 3000

# Terrain: the page of the terrain mode, then a click on the ground picks the
# front piece; the slider's left end takes its brightness to nothing.
click_at "${nav_terrain[@]}"
poll terrain-page "the terrain page" differs editor "$page_box" 3000
click_at 300 545
mouse_to 600 300
poll terrain-picked "the picked piece on the page" differs terrain-page "$page_box" 200
click_at "${brightness_slider_left[@]}"
poll terrain-dark "the piece darkened by the slider" darker terrain-picked "$ground_patch"

# The fill colour's swatch opens the colour picker; full red and green from
# its sliders (their right ends) tint the darkened piece yellow.
click_at "${fill_colour_swatch[@]}"
poll picker-open "the colour picker" differs terrain-dark 200,200,620,360 5000
click_at "${picker_red_end[@]}"
click_at "${picker_green_end[@]}"
poll picker-picked "the piece tinted by the picked colour" lighter terrain-dark "$ground_patch"

# Robot: "New robot" empties the robot being edited (its name goes); the
# library (F8) loads the shipped robot again.
click_at "${nav_robot[@]}"
poll robot-page "the robot page and the robot editor" differs picker-picked "$page_box" 3000
click_at "${new_robot[@]}"
poll robot-emptied "the emptied robot's name" differs robot-page "$robot_name_box" 30
key F8
poll library "the robot library" differs robot-emptied 60,90,310,300 3000
click_at "${library_first_robot[@]}"
click_at "${library_edit[@]}"
# A load over unsaved changes may ask to be confirmed by a second click.
sleep 2
shot library-loaded
alike robot-page "$robot_name_box" 10 library-loaded || click_at "${library_edit[@]}"
key F8
poll robot-loaded "the shipped robot's name back" alike robot-page "$robot_name_box" 10

# A pose angle typed into the robot page, then the robot editor's undo.
mouse_to 880 400
for _ in 1 2 3 4 5 6; do step xdotool click 5; sleep 0.1; done
poll pose-before "the poses on the page" differs robot-loaded "$page_box" 3000
click_at "${pose_angle[@]}"
step xdotool click --repeat 3 1
step xdotool type --delay 40 '45'
key Tab
poll pose-changed "the new angle" differs pose-before "$pose_angle_box" 40
# The robot editor takes the keys once it is the window under the mouse, which
# a loaded machine may notice a few frames late: the undo is pressed again
# until the page shows the angle back (the history holds this one step only).
undone=
for _ in 1 2 3; do
  mouse_to 450 120
  sleep 1
  key ctrl+z
  sleep 2
  shot pose-undone
  alike pose-before "$pose_angle_box" 10 pose-undone && { undone=1; break; }
done
[ -n "$undone" ] || fail "pose-undone: the angle did not come back (screenshot $out/pose-undone.png)"
echo "pose-undone: the angle back as it was"

# The Lua console: a line that builds a bar of full blocks; the result, not
# the echo of the line, shows them as a solid light bar.
mouse_to 880 300
for _ in 1 2 3 4 5 6 7 8; do step xdotool click 4; sleep 0.1; done
sleep 0.5
click_at "${nav_console[@]}"
poll console-open "the Lua console" differs pose-undone "$console_output_box" 20000
click_at "${console_input[@]}"
step xdotool type --delay 30 'local s = "" for i = 1, 24 do s = s .. "\226\150\136" end return s'
key ctrl+Return
poll console-result "the console's result" gained console-open "$console_output_box" 232,234,238 1200

# A page whose script throws: the game goes on (F1 still closes the page) and
# the error reaches the results, which the HUD announces.
gained start "$hud_notice_box" 255,0,0 30 console-result && fail "the HUD announced Lua errors before the page threw"
click_at "${console_close[@]}"
mouse_to 40 560
poll console-closed "the console closed" differs console-result "$console_output_box" 20000
key F1
poll help-open "the test's help page" gained console-closed "$help_box" 32,64,192 30000
click_at "${help_click[@]}"
poll help-thrown "the page's error announced by the HUD" gained help-open "$hud_notice_box" 255,0,0 100
gained help-open "$help_box" 192,192,0 30000 help-thrown || fail "the page did not take the click before it threw"
mouse_to 40 560
key F1
poll help-closed "the game closing the page after its error" differs help-thrown "$help_box" 30000

grep -q "did not load" "$out/pages-stderr.txt" && fail "a page did not load: $(grep -m3 'did not load' "$out/pages-stderr.txt")"
kill -0 "$game" 2>/dev/null || fail "the game ended"
stop_game
echo "editor pages: all steps passed"
