#!/bin/bash
# End-to-end test of one program under Wine on an X display, driven by real
# clicks and keystrokes. Usage:
#   e2e_test.sh RUN_FOLDER WORK_FOLDER PROGRAM CASE DIALOG_FIELDS_EXE
# CASE: opengl or direct3d (a windowed run of the chosen size: picture,
# motion, Insert, Escape), presets (OK at once: the dialog's presets ask for
# Direct3D full screen at 1024 x 768, which a screen of another size cannot
# give, so the start-up fails with a message box and a non-zero status),
# cancel, close (the dialog's close box), missing (an asset file removed).
# Run it on a screen larger than 1024 x 768 (scripts/with-wine makes one), so
# that a run meant to be windowed but started full screen fails.
set -u
run="$1" work="$2" program="$3" case="$4" dialog_fields="$5"
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
  # Names are matched regardless of case: the dialog "Shoalgen" must be gone
  # before the box, captioned with the program's name, is looked for.
  for _ in $(seq 100); do xdotool getwindowname "$dialog" >/dev/null 2>&1 || break; sleep 0.1; done
  box=$(wait_window "$program" 60) || fail "no message box named $program"
  screenshot "$box" "$work/box.png"
  log_text | grep -q "Could not create device:D3DERR" || fail "the log holds no reason"
  press "$box" Return
  status=$(wait_exit "$work" 30) || fail "the program did not end after the box"
  [ "$status" != 0 ] || fail "a failed start-up ended with status 0"
  echo "PASS: $program $case (status $status)"
  exit 0
fi

renderer=opengl
[ "$case" = direct3d ] && renderer=direct3d
choose_windowed "$dialog" "$renderer"
fields=$(wine "$dialog_fields" 2>/dev/null | tr -d '\r')
echo "dialog: $fields"
[ "$fields" = "food=80 fullscreen=0" ] || fail "the dialog holds $fields before OK"
press "$dialog" Return
window=$(wait_window Engine 60) || fail "the main window did not appear"
sleep 6
# Windowed at the dialog's preset 1024 x 768 on a larger screen: the X window
# is the client area, which the frame makes a little smaller.
read -r width height < <(xdotool getwindowgeometry "$window" |
                         sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
echo "main window client area ${width}x${height}"
[ "$width" -gt 1000 ] && [ "$width" -le 1024 ] && [ "$height" -gt 720 ] && [ "$height" -le 768 ] ||
  fail "not a 1024 x 768 window: client area ${width}x${height}"
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

status=$(end_with_escape "$window" "$work") || fail "Escape did not end the program"
[ "$status" = 0 ] || fail "exit status $status"
log_text | tail -1 | grep -q -- "----------------LOG END------------------" || fail "no END line"
echo "PASS: $program $case"
