#!/usr/bin/env bash
# A schedule row over a folder of 20 000 small files, run by the real SALVIX: the archive
# holds every file whole, and while it is written the archive window sits centred on the
# screen, painted.
source "$(dirname "$0")/lib.sh"
start_display
src="$E2E_TMP/origem"
dst="$E2E_TMP/destino"
mkdir -p "$src" "$dst"
python3 - "$src" <<'PY'
import os, random, sys
random.seed(7)
words = [b"venda", b"cliente", b"nota", b"estoque", b"caixa", b"produto", b"fiscal", b"12,50"]
for i in range(20000):
    size = random.randint(1024, 8192)
    if i % 4 == 3:
        data = os.urandom(size)
    else:
        data = b" ".join(random.choice(words) for _ in range(size // 5))[:size]
    with open(os.path.join(sys.argv[1], "doc%05d.txt" % i), "wb") as f:
        f.write(data)
PY
make_program_folder --backup "22:00:00|pequenos|$src|$dst|1"
start_salvix '@2026-12-07 21:59:30 x10'

archive="$dst/122026/pequenos.zip"
checked=0
end=$((SECONDS + 180))
while [ ! -f "$archive" ] && [ $SECONDS -lt $end ]; do
  kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
  id=$(window_of "Arkivor - Backup em andamento")
  if [ -n "$id" ] && [ $checked = 0 ]; then
    centred "$id" || fail "the archive window is not centred"
    painted "$id" || fail "the archive window is unpainted"
    checked=1
  fi
  sleep 0.1
done
[ -f "$archive" ] || fail "no archive in the month folder"
[ $checked = 1 ] || fail "the archive window was never seen"

sleep 1
unzip -tq "$archive" >/dev/null || fail "the archive does not test whole"
count=$(zipinfo -1 "$archive" | wc -l)
[ "$count" -eq 20000 ] || fail "the archive holds $count files, not 20000"
cmp <(unzip -p "$archive" doc12345.txt) "$src/doc12345.txt" || fail "a file differs"
echo "small files e2e: ok"
