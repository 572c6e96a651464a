#!/usr/bin/env bash
# Helpers for the end-to-end tests: a real X display with a notification area, a program
# folder made by the installer, the real SALVIX binary. Everything stays on this machine.
set -euo pipefail

E2E_BIN=${E2E_BIN:?build folder}
E2E_TMP=$(mktemp -d /tmp/arkivor-e2e-XXXXXX)
E2E_PIDS=()

e2e_cleanup() {
  local p
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.3
  for p in "${E2E_PIDS[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  # The clock library's shared objects outlive a killed program.
  for p in "${E2E_PIDS[@]}"; do rm -f "/dev/shm/faketime_shm_$p" "/dev/shm/sem.faketime_sem_$p"; done
  if [ "${E2E_KEEP:-0}" = 1 ]; then echo "kept $E2E_TMP"; else rm -rf "$E2E_TMP"; fi
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$E2E_TMP/salvix.log" ] && tail -n 40 "$E2E_TMP/salvix.log" >&2; exit 1; }

# A free display number, an Xvfb on it and a notification area (trayer). Xvfb picks the
# number itself (-displayfd), so test runs side by side never race for one.
start_display() {
  local n=""
  # Made here: the background shell opens it only when it gets to run.
  : >"$E2E_TMP/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>>"$E2E_TMP/display" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  for _ in $(seq 1 300); do
    n=$(tr -dc 0-9 <"$E2E_TMP/display")
    [ -n "$n" ] && break
    sleep 0.1
  done
  [ -n "$n" ] || fail "Xvfb did not start: $(tail -n 3 "$E2E_TMP/xvfb.log")"
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
  trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 32 \
    >"$E2E_TMP/trayer.log" 2>&1 &
  E2E_PIDS+=($!)
  sleep 0.5
  export XDG_CONFIG_DIRS="$E2E_TMP/xdg"
  mkdir -p "$XDG_CONFIG_DIRS"
  unset QT_QPA_PLATFORM
}

# make_program_folder [installer flags...]: SALVIX copied into a fresh folder with a
# schedule database from the installer.
make_program_folder() {
  PROG="$E2E_TMP/programa"
  mkdir -p "$PROG"
  cp "$E2E_BIN/SALVIX" "$PROG/SALVIX"
  "$E2E_BIN/tools/arkivor-install" --folder "$PROG" --nome "Loja Teste" --cnpj "12.345.678/0001-90" \
    --pc "CAIXA-01" --sistema PRAXEL --base "$E2E_TMP/praxel/" --hora-atualizacao 03:00:00 \
    --contrato 0 --data-visita 25/12/2026 --hora-visita 10:00:00 "$@" \
    || fail "installer failed"
}

# start_salvix [faketime spec]: the binary started from its program folder.
# With a spec the clock library is preloaded straight into SALVIX. The faketime wrapper is
# not used: it names its shared semaphore after its own pid and leaves it behind when it is
# killed, so a later run that gets the same pid cannot start.
start_salvix() {
  if [ -n "${1:-}" ]; then
    LD_PRELOAD="$(faketime_library)" FAKETIME="$1" \
      "$PROG/SALVIX" >"$E2E_TMP/salvix.log" 2>&1 &
  else
    "$PROG/SALVIX" >"$E2E_TMP/salvix.log" 2>&1 &
  fi
  SALVIX_PID=$!
  E2E_PIDS+=($SALVIX_PID)
}

faketime_library() {
  local f
  for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1 \
           /usr/lib64/faketime/libfaketime.so.1; do
    [ -f "$f" ] && { echo "$f"; return 0; }
  done
  fail "libfaketime not found"
}

# visible_window NAME: true while a mapped window of SALVIX has that title.
visible_window() {
  xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name "^$1\$" >/dev/null 2>&1
}

# wait_until SECONDS COMMAND...: polls the command until it succeeds.
wait_until() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    "$@" && return 0
    kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
    sleep 0.2
  done
  return 1
}

not() { ! "$@"; }

# centred ID: true when the window sits centred (to a pixel) on the 1280x800 screen.
centred() {
  local geo x y w h
  geo=$(xwininfo -id "$1" 2>/dev/null) || return 1
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geo")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geo")
  w=$(awk '/Width:/ {print $2}' <<<"$geo")
  h=$(awk '/Height:/ {print $2}' <<<"$geo")
  local dx=$((x - (1280 - w) / 2)) dy=$((y - (800 - h) / 2))
  [ "$dx" -ge -1 ] && [ "$dx" -le 1 ] && [ "$dy" -ge -1 ] && [ "$dy" -le 1 ] && return 0
  echo "${w}x${h} at $x,$y" >&2
  return 1
}

# painted ID: true when the window's mean brightness on the display is above 0.2, that is
# it is not left black.
painted() {
  local b
  # Bounded: a grab of a window that goes away meanwhile can wait forever.
  b=$(timeout 5 import -window "$1" -format '%[fx:mean]' info: 2>/dev/null) || return 1
  python3 -c "import sys; sys.exit(0 if float('${b:-0}') > 0.2 else 1)"
}

# window_of NAME: the id of a mapped window of SALVIX with that title, or nothing.
window_of() {
  xdotool search --all --onlyvisible --pid "$SALVIX_PID" --name "^$1\$" 2>/dev/null | head -n1 || true
}
