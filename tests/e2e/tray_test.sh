#!/usr/bin/env bash
# The tray icon as a user meets it: a double-click shows the hidden main window, a right
# click opens the menu, and "&Sair" answered Yes ends the process.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder
start_salvix

wait_until 20 visible_window "Arkivor - Backup" || fail "the main window was not shown"
wait_until 10 not visible_window "Arkivor - Backup" || fail "the main window did not hide"

icon=""
# The icon is the program's small window that the notification area holds (not one of its
# titled windows).
find_icon() {
  local w
  for w in $(xdotool search --all --pid "$SALVIX_PID" --name '.*' 2>/dev/null); do
    case "$(xdotool getwindowname "$w")" in "Arkivor - "*) continue ;; esac
    if xdotool getwindowgeometry "$w" | grep -qE 'Geometry: [0-9]{2}x[0-9]{2}$'; then icon=$w; return 0; fi
  done
  return 1
}
wait_until 10 find_icon || fail "no tray icon"
sleep 0.5
xdotool mousemove --window "$icon" 8 8 click --repeat 2 --delay 80 1
wait_until 10 visible_window "Arkivor - Backup" || fail "a double-click did not show the main window"

xdotool mousemove --window "$icon" 8 8 click 3
sleep 1
# The menu is the active pop-up: its first entry is "&Configurações", then "&Sair".
xdotool key Down Down Return
wait_until 10 visible_window "Dovral Videzide® - Arkivor" || fail "no exit question"
box=$(xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name '^Dovral Videzide® - Arkivor$' | head -n1)
# Without a window manager nothing hands the keyboard to a new box, and a key pressed before
# it has the focus goes to the main window: focus the box and press again until it answers.
for _ in 1 2 3 4 5; do
  kill -0 "$SALVIX_PID" 2>/dev/null || break
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return   # Yes is the default button
  for _ in $(seq 1 15); do kill -0 "$SALVIX_PID" 2>/dev/null || break; sleep 0.2; done
done
kill -0 "$SALVIX_PID" 2>/dev/null && fail "the process did not end"
echo "tray e2e: ok"
