#!/usr/bin/env bash
# The real SALVIX on a program folder made by the installer: the splash centred, then the
# main window, then the window hidden with the process still running and the autostart entry
# written.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder
start_salvix

wait_until 8 visible_window "Arkivor - Iniciando" || fail "no splash window"
centred "$(window_of "Arkivor - Iniciando")" || fail "the splash is not centred"
wait_until 20 visible_window "Arkivor - Backup" || fail "the main window was not shown"
wait_until 2 not visible_window "Arkivor - Iniciando" || fail "the splash is still shown with the main window"
wait_until 6 not visible_window "Arkivor - Backup" || fail "the main window did not hide"
sleep 1
kill -0 "$SALVIX_PID" || fail "SALVIX ended"

entry="$XDG_CONFIG_DIRS/autostart/SALVIX.desktop"
[ -f "$entry" ] || fail "no autostart entry"
grep -q "^Exec=.*$PROG/SALVIX" "$entry" || fail "autostart entry does not point at the program"
echo "startup e2e: ok"
