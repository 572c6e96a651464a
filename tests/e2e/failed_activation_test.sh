#!/usr/bin/env bash
# A schedule database without its backup table: the main window's first activation fails
# with a box. The window behind the box is painted, not left a black rectangle.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder
sqlite3 "$PROG/backupdovral.mdb" "DROP TABLE backup;" || fail "could not drop the table"
start_salvix

box_id() { xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name "^Dovral Videzide.* - Arkivor\$" 2>/dev/null | head -n1; }
main_id() { xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name "^Arkivor - Backup\$" 2>/dev/null | head -n1; }
# Mean brightness of a window as the display holds it, 0 (black) to 1 (white).
brightness() { import -window "$1" -format '%[fx:mean]' info: 2>/dev/null; }

has_box() { [ -n "$(box_id)" ]; }
has_main() { [ -n "$(main_id)" ]; }
painted() { local b; b=$(brightness "$1"); python3 -c "import sys; sys.exit(0 if float('${b:-0}') > 0.2 else 1)"; }

# The box comes with the main window's first showing, which lasts two seconds.
wait_until 30 has_main || fail "the main window was not shown"
main=$(main_id)
wait_until 1 painted "$main" || fail "the main window is unpainted (brightness $(brightness "$main"))"
wait_until 5 has_box || fail "no box for the failed activation"
xdotool key --window "$(box_id)" Return
wait_until 5 not has_box || fail "the box did not close"
main=$(main_id)
if [ -n "$main" ]; then
  wait_until 1 painted "$main" || fail "the main window is unpainted after the box"
fi
kill -0 "$SALVIX_PID" || fail "SALVIX ended"
echo "failed activation e2e: ok"
