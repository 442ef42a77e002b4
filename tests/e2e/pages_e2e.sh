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

# Where the pages stand in the 1024 x 576 game window (their page areas' top
# left corners, as the windows open and are kept on screen): the mode pages at
# the right edge, the colour picker at (200, 200), the Lua console kept on
# screen at (150, 64), the robot library at (50, 50). Where the controls are
# on a page, each page reports itself (page_rects.js).
page_origin() {
  case $1 in
    kiv_edit_*) echo 761 16 ;;
    kiv_color_picker.html) echo 200 200 ;;
    kiv_lua_console.html) echo 150 64 ;;
    kiv_robot_lib.html) echo 50 50 ;;
    *) return 1 ;;
  esac
}
page_box=766,30,1016,570
ground_patch=300x40+420+528   # the front piece of ground, below the toys
ground_box=420,528,720,568
robot_name_box=773,243,916,260
robot_editor_box=255,20,695,200
console_output_box=160,160,840,470
console_close=(843 55)        # the console's frame button, drawn by the game
help_box=300,100,700,400      # the help opens in the middle of the window
help_click=(500 250)
hud_notice_box=40,548,400,570

# The elements the test clicks, by the selectors the pages report them under.
wanted='["#nav1", "#nav2", "#nav_console", "#sto_bright", "#sto_fill", "#pick_r", "#pick_g", "#rb_new",
         "#rb_pose_angle", "#robotlib_list > [data-encoded]", "#robotlib_edit", "#console_in"]'

# element_at <page> <selector> [centre|left|right]: the point of the game
# window over the element, once its page has reported it (polled).
element_at() {
  local origin point
  origin=$(page_origin "$1") || fail "no place known for the page $1"
  for _ in $(seq 60); do
    # shellcheck disable=SC2086
    point=$(/usr/bin/python3 "$here/page_rects.py" point "$out/pages-stderr.txt" "$1" "$2" $origin "${3:-centre}") &&
      { echo "$point"; return 0; }
    sleep 0.25
  done
  fail "the page $1 never showed $2"
}
click_element() { local p; p=$(element_at "$@") || exit 1; # shellcheck disable=SC2086
  click_at $p; }
# scroll_to <page> <selector>: turns the mouse wheel over the page until the
# element is wholly in its shown part.
scroll_to() {
  local where
  for _ in $(seq 30); do
    where=$(/usr/bin/python3 "$here/page_rects.py" where "$out/pages-stderr.txt" "$1" "$2")
    case $where in
      in) return 0 ;;
      below) mouse_to 880 300; step xdotool click 5 ;;
      above) mouse_to 880 300; step xdotool click 4 ;;
    esac
    sleep 0.3
  done
  fail "the page $1 did not scroll $2 into view (last: $where)"
}

# The help page is the test's own: a click turns it yellow and then throws.
cp -r "$tree" "$work/tree" || fail "cannot copy $tree"
mkdir -p "$work/tree/Editor"
# The pages' shared script, as packed, with the report of where the test's
# elements are.
{ cat "$here/../../editor/pages/kiv_edit.js"; sed "s|KIV_E2E_WANTED|$(echo "$wanted" | tr -d '\n')|" "$here/page_rects.js"; } \
  >"$work/tree/Editor/kiv_edit.js" || fail "cannot write the pages' script"
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
click_element kiv_edit_scene.html "#nav1"
poll terrain-page "the terrain page" differs editor "$page_box" 3000
click_at 300 545
mouse_to 600 300
poll terrain-picked "the picked piece on the page" differs terrain-page "$page_box" 200
click_element kiv_edit_terrain.html "#sto_bright" left
poll terrain-dark "the piece darkened by the slider" darker terrain-picked "$ground_patch"

# The fill colour's swatch opens the colour picker; full red and green from
# its sliders (their right ends) tint the darkened piece yellow.
click_element kiv_edit_terrain.html "#sto_fill"
poll picker-open "the colour picker" differs terrain-dark 200,200,620,360 5000
click_element kiv_color_picker.html "#pick_r" right
click_element kiv_color_picker.html "#pick_g" right
poll picker-picked "the piece tinted by the picked colour" lighter terrain-dark "$ground_patch"

# Robot: "New robot" empties the robot being edited (its name goes); the
# library (F8) loads the shipped robot again.
click_element kiv_edit_terrain.html "#nav2"
poll robot-page "the robot page and the robot editor" differs picker-picked "$page_box" 3000
click_element kiv_edit_robot.html "#rb_new"
poll robot-emptied "the emptied robot's name" differs robot-page "$robot_name_box" 30
key F8
poll library "the robot library" differs robot-emptied 60,90,310,300 3000
click_element kiv_robot_lib.html "#robotlib_list > [data-encoded]"
click_element kiv_robot_lib.html "#robotlib_edit"
# A load over unsaved changes may ask to be confirmed by a second click.
loaded=
for _ in $(seq 12); do
  shot library-loaded && alike robot-page "$robot_name_box" 10 library-loaded && { loaded=1; break; }
  sleep 0.25
done
[ -n "$loaded" ] || click_element kiv_robot_lib.html "#robotlib_edit"
key F8
poll robot-loaded "the shipped robot's name back" alike robot-page "$robot_name_box" 10

# A pose angle typed into the robot page, then the robot editor's undo.
scroll_to kiv_edit_robot.html "#rb_pose_angle"
poll pose-before "the poses on the page" differs robot-loaded "$page_box" 3000
click_element kiv_edit_robot.html "#rb_pose_angle"
# shellcheck disable=SC2046
pose_angle_box=$(/usr/bin/python3 "$here/page_rects.py" box "$out/pages-stderr.txt" kiv_edit_robot.html \
  "#rb_pose_angle" $(page_origin kiv_edit_robot.html)) || fail "the pose angle's place is not known"
step xdotool click --repeat 3 1
step xdotool type --delay 40 '45'
key Tab
poll pose-changed "the new angle" differs pose-before "$pose_angle_box" 40
# The robot editor takes the keys once it is the window under the mouse, which
# a loaded machine may notice a few frames late: the undo is pressed again
# until the page shows the angle back (the history holds this one step only).
undone=
for _ in 1 2 3; do
  # A move within the robot editor each time, so the game sees the mouse there.
  mouse_to 440 130
  mouse_to 450 120
  sleep 0.5
  key ctrl+z
  for _ in $(seq 12); do
    shot pose-undone && alike pose-before "$pose_angle_box" 10 pose-undone && { undone=1; break; }
    sleep 0.25
  done
  [ -n "$undone" ] && break
done
[ -n "$undone" ] || fail "pose-undone: the angle did not come back (screenshot $out/pose-undone.png)"
echo "pose-undone: the angle back as it was"

# The Lua console: a line that builds a bar of full blocks; the result, not
# the echo of the line, shows them as a solid light bar.
scroll_to kiv_edit_robot.html "#nav_console"
click_element kiv_edit_robot.html "#nav_console"
poll console-open "the Lua console" differs pose-undone "$console_output_box" 20000
click_element kiv_lua_console.html "#console_in"
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
