#!/usr/bin/env bash
# "1.Sim" while the mail settings are still the installer's placeholders: the request cannot
# go, the user is told, and the reminder moves to the next day an hour later. The program is
# then ended (the computer shut down) and started the next day: the reminder comes back.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder --contrato 1 --data-visita 25/12/2026 --hora-visita 10:00:00
db="$PROG/backupdovral.mdb"
start_salvix '@2026-12-25 09:59:50 x10'

wait_until 30 visible_window "Dovral Videzide®" || fail "the reminder was not shown"
win=$(xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name '^Dovral Videzide®$' | head -n1)
xdotool windowfocus --sync "$win"
xdotool key 1                      # the answer Sim
xdotool key Return                 # "&Confirmar"

# The question, then the box saying why the request did not go: Yes, then OK.
box_id() {
  xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name '^Dovral Videzide® - Arkivor$' \
    | head -n1
}
other_box() { local id; id=$(box_id); [ -n "$id" ] && [ "$id" != "$1" ]; }
last=none
for answer in question failure; do
  wait_until 10 other_box "$last" || fail "no $answer box"
  last=$(box_id)
  xdotool windowfocus --sync "$last"
  xdotool key Return
done
wait_until 10 not visible_window "Dovral Videzide® - Arkivor" || fail "the failure box stayed"
visible_window "Dovral Videzide®" || fail "the reminder closed although nothing was sent"

row=$(sqlite3 -cmd ".timeout 5000" "$db" "SELECT data_visita || '|' || hora_visita FROM pcs")
[ "$row" = "2026-12-26 00:00:00|1899-12-30 11:00:00" ] || fail "reminder not postponed: $row"

# The computer is shut down with the reminder still open.
kill -9 "$SALVIX_PID"
for _ in $(seq 1 50); do kill -0 "$SALVIX_PID" 2>/dev/null || break; sleep 0.1; done

start_salvix '@2026-12-26 10:59:50 x10'
wait_until 40 visible_window "Dovral Videzide®" || fail "the reminder did not come back the next day"
echo "visit not sent e2e: ok"
