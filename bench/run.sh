#!/usr/bin/env bash
# The program benchmark (`bash bench/run.sh`): Korvalinde.exe beside the minimal and the same-work window of
# bench/reference_window.cpp, in a Wine session of its own; README.md ("Benchmarks") says what each figure is.
# Prints one table (Korvalinde, minimal window, same-work window, Korvalinde's ratio to each; "—" where not measured),
# also saved to build/bench/results.md with the raw figures beside it. Settings (environment): KORVALINDE_EXE
# (default build/mingw/Korvalinde.exe, built here), BENCH_CPU_SECONDS (60), BENCH_IDLE_SECONDS (20), BENCH_EXPIRIES
# (32), BENCH_STARTS (9), BENCH_SESSION (the prefix build/wine-NAME, default bench).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

CPU_SECONDS="${BENCH_CPU_SECONDS:-60}"
IDLE_SECONDS="${BENCH_IDLE_SECONDS:-20}"
EXPIRIES="${BENCH_EXPIRIES:-32}"
STARTS="${BENCH_STARTS:-9}"
EXPIRY_SECONDS=2
OUT="$ROOT/build/bench"

bash scripts/install-deps.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw bench_reference_window bench_probe >/dev/null
export KORVALINDE_EXE   # the probe starts this one
M_CLASS=KorvalindeBenchMinimalClass
S_CLASS=KorvalindeBenchSameWorkClass

mkdir -p "$OUT"
rm -f "$OUT"/*.log

# Ending the session ends every program in it.
cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ "$rc" -ne 0 ] && [ -f "$OUT/probe.log" ]; then
    echo "bench: failed; the probe's last lines:" >&2
    tail -n 5 "$OUT/probe.log" >&2
  fi
  kv_wine_stop
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The probe's output (lines ending in CR LF) goes to a file, never to a pipe: a program it starts
# would keep a pipe open.
probe() {
  local log="$OUT/probe.log" out="$OUT/probe.out" rc=0
  echo "# probe $*" >> "$log"
  wine "$ROOT/build/mingw/bench/bench_probe.exe" "$@" > "$out" 2>&1 </dev/null || rc=$?
  tr -d '\r' < "$out" | tee -a "$log"
  return "$rc"
}

# The Linux process of this Wine session (its WINEPREFIX) whose command line (arguments joined by
# spaces) matches the pattern "$1".
linux_pid() {
  local p cmd
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    p="${p#/proc/}"
    cmd="$( { tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null)" || continue
    cmd="${cmd%"${cmd##*[! ]}"}"
    # shellcheck disable=SC2053
    if [[ "$cmd" == $1 ]]; then echo "$p"; return 0; fi
  done
  echo "bench: no Linux process runs '$1' in $WINEPREFIX" >&2
  return 1
}

# launch NAME CLASS [EXE ARG]: starts Korvalinde (K_WIN; its CLASS is "korvalinde" to the probe), or EXE with
# ARG, by the probe; its Linux process into PIDS[NAME].
declare -A PIDS PHASE LOAD
launch() {
  local exe="${3:-$K_WIN}"
  probe launch "${@:2}" >/dev/null
  PIDS[$1]="$(linux_pid "$(printf '%s' "$exe" | sed 's/[][*?\\]/\\&/g')${4:+ $4}")"
}

# "run_ns voluntary_switches read_write_syscalls" of a Linux process, all its threads.
counters() {
  cat /proc/"$1"/task/*/schedstat /proc/"$1"/task/*/status "/proc/$1/io" 2>/dev/null |
    awk 'NF == 3 && $1 ~ /^[0-9]+$/ { ns += $1 }
      $1 == "voluntary_ctxt_switches:" { v += $2 }
      $1 == "syscr:" || $1 == "syscw:" { rw += $2 }
      END { printf "%.0f %.0f %.0f\n", ns, v, rw }'
}

loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# Counts over one phase for every process in PIDS; into PHASE[name,phase]: elapsed seconds, CPU ms
# (run time), wakeups/s, read + write syscalls/s.
measure_phase() {
  local phase="$1" seconds="$2" name t0 t1 a b
  declare -A before
  for name in "${!PIDS[@]}"; do before[$name]="$(counters "${PIDS[$name]}")"; done
  t0="$(date +%s.%N)"
  sleep "$seconds"
  t1="$(date +%s.%N)"
  for name in "${!PIDS[@]}"; do
    a="${before[$name]}"
    b="$(counters "${PIDS[$name]}")"
    PHASE[$name,$phase]="$(awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" 'BEGIN {
      split(a, x, " "); split(b, y, " "); s = t1 - t0
      printf "%.2f %.1f %.1f %.1f", s, (y[1] - x[1]) / 1e6, (y[2] - x[2]) / s, (y[3] - x[3]) / s }')"
    echo "$phase $name ${PHASE[$name,$phase]}" >> "$OUT/phases.log"
  done
  LOAD[$phase]="$(loadavg)"
  echo "$phase load average after: ${LOAD[$phase]}" >> "$OUT/phases.log"
}
# field NAME PHASE "N...": the Nth figures of PHASE[NAME,PHASE] joined by " / " (empty when not measured).
field() { echo "${PHASE[$1,$2]:-}" | awk -v f="$3" '{ n = split(f, k); s = $k[1]; for (i = 2; i <= n; i++) s = s " / " $k[i]; print s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f ×", a / b; else print "—" }'; }
# row LABEL KORVALINDE [MINIMAL [SAME_WORK]]: one line of the table with both ratios (of a cell's first figure).
row() {
  local m="${3:-}" s="${4:-}"
  echo "| $1 | $2 | ${m:-—} | ${s:-—} | $(ratio "$2" "$m") | $(ratio "$2" "$s") |"
}
# phase_row LABEL PHASE "N...": the row of the Nth figures of a phase.
phase_row() { row "$1" "$(field korvalinde "$2" "$3")" "$(field minimal "$2" "$3")" "$(field samework "$2" "$3")"; }
# memory NAME: while it runs, its "VmHWM VmRSS" in MB into PHASE[NAME,memory].
memory() { PHASE[$1,memory]="$(awk '$1 == "VmHWM:" || $1 == "VmRSS:" { printf "%.1f ", $2 / 1024 }' "/proc/${PIDS[$1]}/status")"; }

LOAD_BEFORE="$(loadavg)"
kv_wine_start "${BENCH_SESSION:-bench}"
echo "bench: Wine ready on $DISPLAY ($KV_WINE_TIMINGS)"
K_WIN="$(winepath -w "$KORVALINDE_EXE" 2>/dev/null)"   # as the probe starts it
R_WIN="$(winepath -w "$ROOT/build/mingw/bench/reference_window.exe" 2>/dev/null)"

# The minimal window runs from here on (kv_wine_start holds Wine's desktop process for the session).
launch minimal "$M_CLASS" "$R_WIN" minimal

echo "bench: start-up, $STARTS starts of each"
probe startup "$STARTS" "$R_WIN" "$M_CLASS" > "$OUT/startup.out"
read -r K_START M_START < <(awk '$1 == "startup" { m[$2] = $8 } END { print m["first"], m["second"] }' \
  "$OUT/startup.out")

launch korvalinde korvalinde
PIDS[wineserver]="$(linux_pid '*/wineserver* -p*')" || unset 'PIDS[wineserver]'
PIDS[xvfb]="$KV_XVFB_PID"

echo "bench: wakeups with no timers, ${IDLE_SECONDS} s"
measure_phase none "$IDLE_SECONDS"

echo "bench: expiry latency, $EXPIRIES expiries of 0:0:$EXPIRY_SECONDS"
probe latency "$EXPIRIES" "$EXPIRY_SECONDS" > "$OUT/latency.out"
read -r L_MIN L_MEDIAN L_MAX < <(awk '$1 == "latency" { print $6, $8, $10 }' "$OUT/latency.out")
read -r SEND_MEDIAN SEND_MAX < <(awk '$1 == "handover" { print $8, $10 }' "$OUT/latency.out")

# The same-work window counts its ten rows down from its start, as Korvalinde's ten rows do from
# their hand-over; it runs in the ten-timer phase only.
launch samework "$S_CLASS" "$R_WIN" same-work
probe ten named >/dev/null
echo "bench: CPU and wakeups with ten timers, ${CPU_SECONDS} s"
measure_phase ten "$CPU_SECONDS"
for name in korvalinde minimal samework; do memory "$name"; done
probe close "$S_CLASS" >/dev/null
unset 'PIDS[samework]'

# Ten unnamed timers, all paused: the tick runs, and no row ever changes.
probe close korvalinde >/dev/null
launch korvalinde korvalinde
probe ten paused >/dev/null
echo "bench: wakeups with ten paused timers, ${IDLE_SECONDS} s"
measure_phase still "$IDLE_SECONDS"

{
  echo "Korvalinde: $KORVALINDE_EXE"
  echo "$(date '+%Y-%m-%d %H:%M'), $(wine --version 2>/dev/null), $(nproc) cores"
  echo
  echo "| measure | Korvalinde | minimal window | same-work window | Korvalinde / minimal | Korvalinde / same-work |"
  echo "|---|---:|---:|---:|---:|---:|"
  row "expiry latency, ms, min / median / max of $EXPIRIES" "$L_MIN / $L_MEDIAN / $L_MAX"
  phase_row "CPU over ${CPU_SECONDS} s, ten timers, ms of run time (schedstat)" ten 2
  phase_row "wakeups/s, ten timers" ten 3
  phase_row "wakeups/s, no timers" none 3
  phase_row "wakeups/s, ten paused unnamed timers (ticks, no row changes)" still 3
  phase_row "read + write syscalls/s, ten timers" ten 4
  phase_row "read + write syscalls/s, no timers" none 4
  phase_row "read + write syscalls/s, ten paused unnamed timers" still 4
  row "start-up to visible window, ms, median of $STARTS" "$K_START" "$M_START"
  phase_row "working set, MB (VmRSS / VmHWM)" memory "2 1"
  echo
  if [ -n "${PIDS[wineserver]:-}" ]; then
    echo "Shared by all the programs over the ${CPU_SECONDS} s with ten timers: wineserver $(field wineserver ten 2) ms, Xvfb $(field xvfb ten 2) ms of run time."
  fi
  echo "Hand-over of a request (LB_ADDFILE sent until answered), ms: median $SEND_MEDIAN, max $SEND_MAX."
  echo "Load average (1, 5, 15 min): before $LOAD_BEFORE; after the no-timer phase ${LOAD[none]}; after the ten-timer phase ${LOAD[ten]}."
} > "$OUT/results.md"
echo
cat "$OUT/results.md"
