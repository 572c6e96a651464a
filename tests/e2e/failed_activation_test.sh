#!/usr/bin/env bash
# A schedule database without its backup table: the main window's first activation fails
# with a box. The window behind the box is painted, not left a black rectangle.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder
sqlite3 "$PROG/backupdovral.mdb" "DROP TABLE backup;" || fail "could not drop the table"
start_salvix

box_id() { window_of "Dovral Videzide.* - Arkivor"; }
main_id() { window_of "Arkivor - Backup"; }
has_box() { [ -n "$(box_id)" ]; }
has_main() { [ -n "$(main_id)" ]; }

# The box comes with the main window's first showing, which lasts two seconds.
wait_until 30 has_main || fail "the main window was not shown"
main=$(main_id)
wait_until 2 painted "$main" || fail "the main window is unpainted"
wait_until 5 has_box || fail "no box for the failed activation"
answer() { timeout 5 xdotool key --window "$(box_id)" Return 2>/dev/null; sleep 0.3; ! has_box; }
wait_until 10 answer || fail "the box did not close"
main=$(main_id)
if [ -n "$main" ]; then
  wait_until 2 painted "$main" || fail "the main window is unpainted after the box"
fi
kill -0 "$SALVIX_PID" || fail "SALVIX ended"
echo "failed activation e2e: ok"
