#!/usr/bin/env bash
# A schedule row due while the real SALVIX runs: its archive appears in the month folder
# of the destination, holding the source's files. The clock starts just before the row's
# minute and runs ten times faster.
source "$(dirname "$0")/lib.sh"
start_display
src="$E2E_TMP/origem"
dst="$E2E_TMP/destino"
mkdir -p "$src" "$dst"
echo "vendas do dia" >"$src/vendas.txt"
head -c 300000 /dev/urandom >"$src/dados.bin"
make_program_folder --backup "22:00:00|diario|$src|$dst|0"
start_salvix '@2026-12-07 21:59:30 x10'

archive="$dst/122026/diario_07122026_2200.zip"
wait_until 40 test -f "$archive" || fail "no archive in the month folder"
sleep 1
unzip -t "$archive" >/dev/null || fail "the archive does not test whole"
names=$(unzip -Z1 "$archive" | sort | tr '\n' ' ')
[ "$names" = "dados.bin vendas.txt " ] || fail "unexpected archive content: $names"
unzip -p "$archive" vendas.txt | grep -q "vendas do dia" || fail "wrong file content"
ls -A "$dst/122026" | grep -v '^diario_07122026_2200.zip$' && fail "stray files in the month folder"
kill -0 "$SALVIX_PID" || fail "SALVIX ended"
echo "backup e2e: ok"
