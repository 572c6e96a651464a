#!/usr/bin/env bash
# A contract installation on its reminder date and hour: the real SALVIX opens the visit
# reminder; confirming the answer shown (Adiar) moves the reminder one day and one hour on.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder --contrato 1 --data-visita 25/12/2026 --hora-visita 10:00:00
start_salvix '@2026-12-25 09:59:50 x10'

wait_until 30 visible_window "Dovral Videzide®" || fail "the reminder was not shown"
win=$(xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name '^Dovral Videzide®$' | head -n1)
xdotool windowfocus --sync "$win"
xdotool key Return                 # "&Confirmar" is the default button
wait_until 10 visible_window "Dovral Videzide® - Arkivor" || fail "no Adiar notice"
box=$(xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name '^Dovral Videzide® - Arkivor$' | head -n1)
xdotool windowfocus --sync "$box"
xdotool key Return
wait_until 10 not visible_window "Dovral Videzide®" || fail "the reminder stayed open"

db="$PROG/backupdovral.mdb"
row=$(sqlite3 -cmd ".timeout 5000" "$db" "SELECT data_visita || '|' || hora_visita FROM pcs")
[ "$row" = "2026-12-26 00:00:00|1899-12-30 11:00:00" ] || fail "unexpected next reminder: $row"
kill -0 "$SALVIX_PID" || fail "SALVIX ended"
echo "visit e2e: ok"
