#!/bin/bash
# End-to-end test of the model viewer under Wine on an X display, driven by
# keystrokes. Usage:
#   modelview_test.sh RUN_FOLDER WORK_FOLDER CASE [LEVEL_FOLDER]
# CASE: md2 (a real model with its skin in both renderers: the pictures
# agree once the Direct3D one, whose view is left-handed, is mirrored), bsp
# (the test level from LEVEL_FOLDER: each face shows its texture in both
# renderers), rock (a 3DS model without texture: lit, it shows shade, not a
# flat silhouette), shade (an MD2 model without its skin, a MilkShape gem
# and the test level without its textures: each lit, not a flat silhouette,
# in both renderers), refused (a file that is no model, and a wrong renderer
# name).
set -u
run="$1" work="$2" case="$3" level="${4:-}"
. "$(dirname "$0")/../../scripts/lib/drive.sh"

fail() {
  echo "FAIL: $*"
  pkill -f modelview.exe 2>/dev/null
  exit 1
}

# wait_started NAME SECONDS: the window, as wait_window, but gives up as soon
# as the viewer has ended.
wait_started() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      sleep 1  # as in wait_window: the window takes its focus after the X window
      echo "$id"
      return 0
    fi
    [ -s "$work/exit-status" ] && return 1
    sleep 0.1
  done
  return 1
}

# view RENDERER FILE [SKIN]: shows FILE, pauses and goes back to the first
# view and moment (P, Home), saves RENDERER.png and quits.
view() {
  local renderer="$1" file="$2" skin="${3:-}"
  local window attempt
  # Once in CI, Wine refused a viewer its window (it ended at once): such a
  # start is tried once more, after the first attempt's output.
  for attempt in 1 2; do
    rm -f "$work/exit-status"
    ( cd "$work" && wine "$run/modelview.exe" "$file" "$renderer" $skin; echo $? > exit-status ) \
      </dev/null >"$work/$renderer.out" 2>&1 &
    # Direct3D's start under Wine can take over a minute beside other viewers.
    window=$(wait_started "modelview - $file" 120) && break
    [ "$attempt" = 1 ] && [ -s "$work/exit-status" ] ||
      fail "$renderer: no window for $file: $(cat "$work/$renderer.out")"
    echo "note: $renderer: the viewer ended before its window: $(cat "$work/$renderer.out")" >&2
  done
  sleep 2
  [ -s "$work/exit-status" ] && fail "$renderer: the viewer ended: $(cat "$work/$renderer.out")"
  press "$window" p Home
  sleep 1.5
  screenshot "$window" "$work/$renderer.png"
  local status
  status=$(end_with_escape "$window" "$work") || fail "$renderer: Escape did not end the viewer"
  [ "$status" = 0 ] || fail "$renderer: exit status $status"
}

# count IMAGE AWK_CONDITION: the pixels of IMAGE whose r, g, b meet the condition.
count() {
  convert "$1" -depth 8 txt:- | awk -F'[(),]' "NR > 1 { r = \$3; g = \$4; b = \$5; if ($2) n++ } END { print n + 0 }"
}

# shaded RENDERER NAME: fails unless RENDERER.png shows NAME with more than a
# tenth of it darker than white. The picture is kept as RENDERER-NAME.png.
shaded() {
  local picture="$work/$2-$1.png"
  mv "$work/$1.png" "$picture"
  local model shaded
  model=$(count "$picture" '(r - 32) ^ 2 + (g - 48) ^ 2 + (b - 64) ^ 2 > 300')
  shaded=$(count "$picture" '(r - 32) ^ 2 + (g - 48) ^ 2 + (b - 64) ^ 2 > 300 && r + g + b < 675')
  echo "$1: $2 $model pixels, $shaded of them shaded"
  [ "$model" -gt 5000 ] || fail "$1: the picture shows too little of the $2"
  [ "$shaded" -gt $((model / 10)) ] || fail "$1: the $2 is a flat silhouette"
}

rm -rf "$work" && mkdir -p "$work"

case "$case" in
  md2)
    cp /usr/share/assimp/models/MD2/faerie.md2 /usr/share/assimp/models/MD2/faerie2.bmp "$work"/
    view opengl faerie.md2 faerie2.bmp
    view direct3d faerie.md2 faerie2.bmp
    # The model: what is not the background (32, 48, 64).
    drawn='(r - 32) ^ 2 + (g - 48) ^ 2 + (b - 64) ^ 2 > 300'
    model=$(count "$work/opengl.png" "$drawn")
    convert "$work/direct3d.png" -flop "$work/direct3d-mirrored.png"
    mirrored=$(count "$work/direct3d-mirrored.png" "$drawn")
    # The two rasterisers place edges a pixel apart now and then: compared
    # slightly blurred, only real differences remain.
    convert "$work/opengl.png" -blur 0x1 "$work/opengl-blurred.png"
    convert "$work/direct3d-mirrored.png" -blur 0x1 "$work/direct3d-blurred.png"
    differ=$(compare -metric AE -fuzz 12% "$work/opengl-blurred.png" "$work/direct3d-blurred.png" \
             "$work/difference.png" 2>&1 | cut -d' ' -f1)
    echo "model pixels: opengl $model, direct3d $mirrored; pixels that differ: $differ"
    [ "$model" -gt 5000 ] || fail "the OpenGL picture shows too little of the model"
    [ "$mirrored" -gt 5000 ] || fail "the Direct3D picture shows too little of the model"
    [ "${differ%.*}" -lt $((model / 10)) ] || fail "the pictures differ in $differ pixels"
    ;;
  rock)
    cp /usr/share/assimp/models/3DS/fels.3ds "$work"/
    for renderer in opengl direct3d; do
      view "$renderer" fels.3ds
      shaded "$renderer" rock
    done
    ;;
  bsp)
    cp -r "$level"/* "$work"/
    for renderer in opengl direct3d; do
      view "$renderer" level.bsp
      red=$(count "$work/$renderer.png" 'r > 180 && g < 80 && b < 80')
      green=$(count "$work/$renderer.png" 'g > 150 && r < 80 && b < 80')
      yellow=$(count "$work/$renderer.png" 'r > 180 && g > 160 && b < 100')
      echo "$renderer: floor $red, wall $green, side $yellow pixels"
      [ "$red" -gt 2000 ] && [ "$green" -gt 2000 ] && [ "$yellow" -gt 2000 ] ||
        fail "$renderer: a face does not show its texture"
    done
    ;;
  shade)
    cp /usr/share/assimp/models/MD2/faerie.md2 "$(dirname "$0")/gem.txt" "$work"/
    cp "$level/level.bsp" "$work"/
    for renderer in opengl direct3d; do
      view "$renderer" faerie.md2
      shaded "$renderer" faerie
      view "$renderer" gem.txt
      shaded "$renderer" gem
      view "$renderer" level.bsp
      shaded "$renderer" level
    done
    ;;
  refused)
    printf 'no model here\n' > "$work/notes.txt"
    ( cd "$work" && wine "$run/modelview.exe" notes.txt opengl ) </dev/null >"$work/out" 2>"$work/err"
    status=$?
    echo "notes.txt: exit $status, $(cat "$work/err")"
    [ "$status" = 1 ] && grep -q "^modelview: notes.txt: " "$work/err" || fail "a text file was not refused"
    ( cd "$work" && wine "$run/modelview.exe" notes.txt vulkan ) </dev/null >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" = 2 ] && grep -q "^usage: modelview" "$work/err" || fail "a wrong renderer: exit $status"
    ;;
  *)
    fail "unknown case $case"
    ;;
esac
echo "PASS: modelview $case"
