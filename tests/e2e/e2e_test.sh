#!/bin/bash
# End-to-end test of one program under Wine on an X display, driven by real
# clicks and keystrokes. Usage:
#   e2e_test.sh RUN_FOLDER WORK_FOLDER PROGRAM CASE
# CASE: opengl or direct3d (a windowed run: picture, motion, Insert, Escape),
# presets (OK at once: the dialog's presets start Direct3D full screen at
# 1024 x 768, the virtual screen's size), cancel, close (the dialog's close
# box), missing (an asset file removed).
set -u
run="$1" work="$2" program="$3" case="$4"
. "$(dirname "$0")/../../scripts/lib/drive.sh"

# The log as Unix text (the programs write CR LF line ends).
log_text() { tr -d '\r' < "$work/Log.txt"; }
number3='^-?[0-9.e+-]+ -?[0-9.e+-]+ -?[0-9.e+-]+$'

fail() {
  echo "FAIL: $*"
  pkill -f "$program.exe" 2>/dev/null
  exit 1
}

rm -rf "$work" && mkdir -p "$work" && cp "$run"/* "$work"/
rm -f "$work/Log.txt" "$work/exit-status"
[ "$case" = missing ] && rm "$work/AngelT.bmp"

start_program "$program" "$work"
dialog=$(wait_window Shoalgen 60) || fail "the settings dialog did not appear"

if [ "$case" = cancel ] || [ "$case" = close ]; then
  if [ "$case" = cancel ]; then
    press "$dialog" Tab Return
    status=$(wait_exit "$work" 20) || fail "the program did not end"
  else
    # A synthetic Alt+F4 is now and then dropped while the dialog settles:
    # offer it up to three times.
    for _ in 1 2 3; do
      press "$dialog" alt+F4
      status=$(wait_exit "$work" 5) && break
    done
    [ -n "${status:-}" ] || fail "the program did not end"
  fi
  [ "$status" = 0 ] || fail "exit status $status"
  [ ! -e "$work/Log.txt" ] || fail "Log.txt was written"
  echo "PASS: $program $case"
  exit 0
fi

if [ "$case" = presets ]; then
  press "$dialog" Return
else
  renderer=opengl
  [ "$case" = direct3d ] && renderer=direct3d
  answer_dialog "$dialog" "$renderer"
fi
window=$(wait_window Engine 60) || fail "the main window did not appear"
sleep 6
if [ "$case" = presets ]; then
  # Full screen: the whole window is the 1024 x 768 picture; a window with a
  # frame would show a smaller client area.
  geometry=$(xdotool getwindowgeometry "$window" | grep Geometry)
  echo "main window $geometry"
  case "$geometry" in *1024x768*) ;; *) fail "not a full-screen 1024 x 768 window: $geometry" ;; esac
fi
screenshot "$window" "$work/first.png"
sleep 3
screenshot "$window" "$work/second.png"

# The picture: mostly the blue background, with the tank, the food and the
# fish drawn over it (counted on a 256 x 192 copy; a line reads
# "x,y: (r,g,b) ...").
read -r blue other < <(convert "$work/first.png" -resize '256x192!' -depth 8 txt:- | awk -F'[(),]' '
  NR > 1 { r = $3; g = $4; b = $5;
           if (b > 150 && r < 120 && g < 160) blue++; else other++ }
  END { print blue + 0, other + 0 }')
echo "thumbnail: $blue blue pixels, $other others"
[ "$blue" -gt 20000 ] || fail "too little blue background ($blue of 49152)"
[ "$other" -gt 200 ] || fail "nothing drawn over the background ($other of 49152)"
changed=$(compare -metric AE "$work/first.png" "$work/second.png" null: 2>&1 | cut -d' ' -f1)
echo "pixels changed in 3 seconds: $changed"
[ "${changed%.*}" -gt 100 ] || fail "the picture did not change"

# Matings so far: shoalgen writes two equal position lines per mating.
positions=$(log_text | grep -cE "$number3")
if [ "$program" = shoalgen ]; then
  unpaired=$(log_text | grep -E "$number3" |
             awk 'NR % 2 == 1 { line = $0 } NR % 2 == 0 && $0 != line { n++ } END { print n + 0 }')
  echo "position lines: $positions, unequal pairs: $unpaired"
  [ $((positions % 2)) = 0 ] && [ "$unpaired" = 0 ] || fail "mating lines are not in equal pairs"
else
  [ "$positions" = 0 ] || fail "shoalgen2 wrote $positions position lines"
fi

press "$window" Insert
sleep 1
log_text | grep -qzE '0 0 1
0 0 0
0 1 0
' || fail "Insert did not write the camera lines"
[ "$(log_text | grep -cE "$number3")" -gt $((positions + 3)) ] ||
  fail "Insert did not write the fish positions"

if [ "$case" = missing ]; then
  log_text | grep -q "AngelT.bmp" || fail "the log does not name the missing file"
fi

press "$window" Escape
status=$(wait_exit "$work" 30) || fail "Escape did not end the program"
[ "$status" = 0 ] || fail "exit status $status"
log_text | tail -1 | grep -q -- "----------------LOG END------------------" || fail "no END line"
echo "PASS: $program $case"
