# Drives the demonstration's programs under Wine on an X display as a person
# would: the settings dialog by clicks and keys, then the tank window.
# Sourced by scripts/demo and the end-to-end tests; needs DISPLAY and
# WINEPREFIX set, and a running wineserver (scripts/with-wine).

# Waits up to $2 seconds for a top-level window named exactly $1 and prints it.
wait_window() {
  local name="$1" limit="${2:-30}" id=""
  for _ in $(seq $((limit * 10))); do
    id=$(xdotool search --name "^$name\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      sleep 1  # the X window comes before the window has taken its controls and focus
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Starts PROGRAM.exe in FOLDER in the background; its exit status goes to
# FOLDER/exit-status when it ends.
start_program() {
  local program="$1" folder="$2"
  # No output descriptor of the caller stays open in the background.
  ( cd "$folder" && wine "$program.exe"; echo $? > exit-status ) </dev/null >/dev/null 2>&1 &
}

# Waits up to $2 seconds for the program started in FOLDER $1 to end and
# prints its exit status.
wait_exit() {
  local folder="$1" limit="${2:-30}"
  for _ in $(seq $((limit * 10))); do
    [ -s "$folder/exit-status" ] && { cat "$folder/exit-status"; return 0; }
    sleep 0.1
  done
  return 1
}

# In the settings dialog: picks the renderer (opengl or direct3d) with a click
# on its radio button, clears "FullScreen" from the keyboard (the click moves
# the focus to the radio button, from which one Tab reaches the check box) and
# optionally types the four minimums (food, fish 1, 2, 3: each following Tab
# reaches the next field with its text selected).
# Without a window manager the X window is the dialog's client area, where a
# dialog unit of the 8-point font is 1.5 pixels.
choose_windowed() {
  local dialog="$1" renderer="$2"
  shift 2
  if [ "$renderer" = opengl ]; then
    xdotool mousemove --window "$dialog" 140 20 click 1 2>/dev/null   # "OpenGL"
  else
    xdotool mousemove --window "$dialog" 30 20 click 1 2>/dev/null    # "DirectX"
  fi
  sleep 0.3
  xdotool key --window "$dialog" Tab space 2>/dev/null
  sleep 0.3
  for value in "$@"; do
    xdotool key --window "$dialog" Tab 2>/dev/null
    xdotool type --window "$dialog" "$value" 2>/dev/null
  done
}

# choose_windowed with the same arguments, then Return for OK.
answer_dialog() {
  choose_windowed "$@"
  xdotool key --window "$1" Return 2>/dev/null
}

# Ends the program started in FOLDER $2 by Escape in its window $1 and prints
# its exit status; fails if it does not end. Rarely, a key sent to a Wine
# window under Xvfb never reaches it (an Escape was lost once in CI, after
# two keys to the same window had arrived): while the window is still there
# 20 s later (ending takes well under a second), Escape is sent once more.
# A program that has closed its window but not ended gets no second chance.
end_with_escape() {
  local window="$1" folder="$2"
  press "$window" Escape
  wait_exit "$folder" 20 && return 0
  xdotool search --name . 2>/dev/null | grep -qx "$window" || return 1
  echo "note: the program ignored Escape for 20 s; sending it again" >&2
  press "$window" Escape
  wait_exit "$folder" 30
}

# Saves a screenshot of the X window $1 to $2.
screenshot() {
  import -window "$1" "$2"
}

# Sends keys to the X window $1.
press() {
  local window="$1"; shift
  xdotool key --window "$window" "$@" 2>/dev/null
}
