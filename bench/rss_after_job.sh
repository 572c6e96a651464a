#!/usr/bin/env bash
# The resident program's memory around one PRAXEL maintenance job at the benchmark's base
# size: its size when idle, its peak, and its size a minute after the job. Not a test: it
# prints the figures and, as its last line, whether the program went back to within 20 MB
# of its idle size.
#   bash bench/rss_after_job.sh [build folder]
E2E_BIN=$(cd "${1:-build}" && pwd)
export E2E_BIN
source "$(dirname "$0")/../tests/e2e/lib.sh"

kb() { awk -v f="$1:" '$1 == f { print $2 }' "/proc/$SALVIX_PID/status"; }

start_display
make_program_folder --sistema PRAXEL --base "$E2E_TMP/praxel/" --hora-atualizacao 03:00:00
mkdir -p "$E2E_TMP/praxel"
db="$E2E_TMP/praxel/praxel.mdb"
"$E2E_BIN/bench/bench_praxel" --make "$db" >/dev/null 2>&1 || fail "could not make the database"
stamped() {
  [ "$(sqlite3 -cmd ".timeout 5000" "$db" "SELECT data_atualizacao FROM parametros")" = "07/12/2026" ]
}

# Ten times faster from two minutes before the maintenance time: twelve seconds of idling.
start_salvix "@2026-12-07 02:58:00 x10"
sleep 8
kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
idle=$(kb VmRSS)
wait_until 300 stamped || fail "the job did not finish"
done_at=$SECONDS
sleep 60
after=$(kb VmRSS)
peak=$(kb VmHWM)

echo "idle:                   $((idle / 1024)) MB"
echo "peak:                   $((peak / 1024)) MB"
echo "a minute after the job: $((after / 1024)) MB (job done ${done_at} s after start)"
if [ $((after - idle)) -le $((20 * 1024)) ]; then
  echo "within 20 MB of idle: yes ($(((after - idle) / 1024)) MB more)"
else
  echo "within 20 MB of idle: NO ($(((after - idle) / 1024)) MB more)"
fi
