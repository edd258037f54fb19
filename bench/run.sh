#!/usr/bin/env bash
# The program benchmark (`bash bench/run.sh`): Korvalinde.exe in turns with the reference windows of
# bench/reference_window.cpp that do the same work, in a Wine session of its own; README.md ("Benchmarks") says
# what each figure is. Prints one table (Korvalinde, its reference, the ratio; per round and the median of the
# rounds' ratios), also saved to build/bench/results.md with the raw figures beside it (phases.log, threads.log,
# load.log, the probe's outputs). Settings (environment): KORVALINDE_EXE (default build/mingw/Korvalinde.exe, built
# here), KORVALINDE_OTHER_EXE (a second build of Korvalinde whose start-up is measured in the same turns),
# BENCH_ROUNDS (3), BENCH_ROUND_SECONDS (20), BENCH_IDLE_SECONDS (20), BENCH_EXPIRIES (16 of each),
# BENCH_STARTS (9 of each), BENCH_SESSION (the prefix build/wine-NAME, default bench).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

ROUNDS="${BENCH_ROUNDS:-3}"
ROUND_SECONDS="${BENCH_ROUND_SECONDS:-20}"
IDLE_SECONDS="${BENCH_IDLE_SECONDS:-20}"
EXPIRIES="${BENCH_EXPIRIES:-16}"
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
O_CLASS=KorvalindeBenchOneTimerClass

mkdir -p "$OUT"
rm -f "$OUT"/*.log

# Ending the session ends every program in it.
cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  [ -n "${LOAD_SAMPLER:-}" ] && kill "$LOAD_SAMPLER" 2>/dev/null
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

# "run_ns voluntary_switches read_write_syscalls" of a Linux process, summed over all its threads.
counters() {
  cat /proc/"$1"/task/*/schedstat /proc/"$1"/task/*/status "/proc/$1/io" 2>/dev/null |
    awk 'NF == 3 && $1 ~ /^[0-9]+$/ { ns += $1 }
      $1 == "voluntary_ctxt_switches:" { v += $2 }
      $1 == "syscr:" || $1 == "syscw:" { rw += $2 }
      END { printf "%.0f %.0f %.0f\n", ns, v, rw }'
}
# "tid name run_ns voluntary nonvoluntary" for each thread of a Linux process.
threads() {
  local t
  for t in /proc/"$1"/task/*; do
    { printf '%s %s ' "${t##*/}" "$(tr ' ' _ < "$t/comm")"
      awk '{ printf "%s ", $1 }' "$t/schedstat"
      awk '$1 == "voluntary_ctxt_switches:" { v = $2 } $1 == "nonvoluntary_ctxt_switches:" { n = $2 }
        END { print v, n }' "$t/status"; } 2>/dev/null
  done
}

loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# measure_phase PHASE SECONDS NAME...: counts over one phase for the named processes of PIDS; into
# PHASE[name,phase]: elapsed seconds, CPU ms (run time), wakeups/s, read + write syscalls/s. Each thread's
# share goes to threads.log.
measure_phase() {
  local phase="$1" seconds="$2" name t0 t1 a b
  shift 2
  declare -A before before_threads
  for name in "$@"; do
    before[$name]="$(counters "${PIDS[$name]}")"
    before_threads[$name]="$(threads "${PIDS[$name]}")"
  done
  t0="$(date +%s.%N)"
  sleep "$seconds"
  t1="$(date +%s.%N)"
  for name in "$@"; do
    a="${before[$name]}"
    b="$(counters "${PIDS[$name]}")"
    PHASE[$name,$phase]="$(awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" 'BEGIN {
      split(a, x, " "); split(b, y, " "); s = t1 - t0
      printf "%.2f %.1f %.1f %.1f", s, (y[1] - x[1]) / 1e6, (y[2] - x[2]) / s, (y[3] - x[3]) / s }')"
    echo "$phase $name ${PHASE[$name,$phase]}" >> "$OUT/phases.log"
    # Per thread over the phase: run ms, voluntary and involuntary switches per second.
    threads "${PIDS[$name]}" | awk -v s="$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" \
      -v p="$phase $name" 'NR == FNR { ns[$1] = $3; v[$1] = $4; n[$1] = $5; next }
      { printf "%s thread %s %s run %.1f ms vol %.1f/s invol %.1f/s\n", p, $1, $2, ($3 - ns[$1]) / 1e6,
          ($4 - v[$1]) / s, ($5 - n[$1]) / s }' <(echo "${before_threads[$name]}") - >> "$OUT/threads.log"
  done
  LOAD[$phase]="$(loadavg)"
  echo "$phase load average after: ${LOAD[$phase]}" >> "$OUT/phases.log"
}
# field NAME PHASE N: the Nth figure of PHASE[NAME,PHASE] (empty when not measured).
field() { echo "${PHASE[$1,$2]:-}" | awk -v f="$3" '{ print $f }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "" && b > 0) printf "%.2f", a / b; else print "—" }'; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
  if (NR == 0) print "—"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
row() { echo "| $1 | ${2:-—} | ${3:-—} | ${4:-—} |"; }
# memory NAME: while it runs, its "VmRSS / VmHWM" in MB into PHASE[NAME,memory].
memory() { PHASE[$1,memory]="$(awk '$1 == "VmRSS:" { r = $2 } $1 == "VmHWM:" { h = $2 }
  END { printf "%.1f / %.1f", r / 1024, h / 1024 }' "/proc/${PIDS[$1]}/status")"; }

LOAD_BEFORE="$(loadavg)"
# The 1-minute load average every 5 s over the whole run.
( while sleep 5; do echo "$(date +%T) $(loadavg)"; done ) > "$OUT/load.log" &
LOAD_SAMPLER=$!
kv_wine_start "${BENCH_SESSION:-bench}"
echo "bench: Wine ready on $DISPLAY ($KV_WINE_TIMINGS)"
K_WIN="$(winepath -w "$KORVALINDE_EXE" 2>/dev/null)"   # as the probe starts it
R_WIN="$(winepath -w "$ROOT/build/mingw/bench/reference_window.exe" 2>/dev/null)"
K2_WIN=""
[ -n "${KORVALINDE_OTHER_EXE:-}" ] && K2_WIN="$(winepath -w "$KORVALINDE_OTHER_EXE" 2>/dev/null)"

# The minimal window runs from here on (kv_wine_start holds Wine's desktop process for the session).
launch minimal "$M_CLASS" "$R_WIN" minimal
PIDS[wineserver]="$(linux_pid '*/wineserver* -p*')" || unset 'PIDS[wineserver]'
PIDS[xvfb]="$KV_XVFB_PID"
SHARED=(xvfb)
[ -n "${PIDS[wineserver]:-}" ] && SHARED+=(wineserver)

echo "bench: start-up, $STARTS starts of each, in turns"
probe startup "$STARTS" "$R_WIN" "$M_CLASS" ${K2_WIN:+"$K2_WIN"} > "$OUT/startup.out"
read -r K_START M_START K2_START < <(awk '$1 == "startup" { m[$2] = $8 } END { print m["first"], m["second"], m["third"] }' \
  "$OUT/startup.out")

echo "bench: expiry latency, $EXPIRIES expiries of 0:0:$EXPIRY_SECONDS each, Korvalinde and the one-timer window in turns"
launch korvalinde korvalinde
launch onetimer "$O_CLASS" "$R_WIN" one-timer
probe latency "$EXPIRIES" "$EXPIRY_SECONDS" korvalinde "$O_CLASS" > "$OUT/latency.out"
read -r K_LMED K_LMAX O_LMED O_LMAX < <(awk '$1 == "latency" { m[$2] = $8; x[$2] = $10 }
  END { print m["korvalinde"], x["korvalinde"], m["'"$O_CLASS"'"], x["'"$O_CLASS"'"] }' "$OUT/latency.out")
read -r SEND_MEDIAN SEND_MAX < <(awk '$1 == "handover" && $2 == "korvalinde" { print $8, $10 }' "$OUT/latency.out")
probe close "$O_CLASS" >/dev/null
unset 'PIDS[onetimer]'

# Korvalinde with no timer has no tick: it should not wake at all.
echo "bench: wakeups with no timers, ${IDLE_SECONDS} s, beside the minimal window"
measure_phase none "$IDLE_SECONDS" korvalinde minimal
probe close korvalinde >/dev/null

# Ten named timers against the same-work window, one program at a time, in turns: Korvalinde first in odd
# rounds, the same-work window first in even ones, so that a load that rises or falls over a round falls on
# both alike. Each starts fresh and settles for 2 s before it is counted.
run_turn() {  # run_turn korvalinde|samework ROUND
  if [ "$1" = korvalinde ]; then
    launch korvalinde korvalinde
    probe ten named >/dev/null
  else
    launch samework "$S_CLASS" "$R_WIN" same-work
  fi
  sleep 2
  measure_phase "round$2" "$ROUND_SECONDS" "$1" "${SHARED[@]}"
  PHASE[${SHARED[0]},round$2,$1]="$(field "${SHARED[0]}" "round$2" 2)"
  [ "${#SHARED[@]}" -gt 1 ] && PHASE[${SHARED[1]},round$2,$1]="$(field "${SHARED[1]}" "round$2" 2)"
  memory "$1"
  probe close "$([ "$1" = korvalinde ] && echo korvalinde || echo "$S_CLASS")" >/dev/null
  unset "PIDS[$1]"
}
for round in $(seq 1 "$ROUNDS"); do
  echo "bench: round $round of $ROUNDS, ten named timers, ${ROUND_SECONDS} s each"
  if [ $((round % 2)) -eq 1 ]; then run_turn korvalinde "$round"; run_turn samework "$round"
  else run_turn samework "$round"; run_turn korvalinde "$round"; fi
done

# Ten unnamed timers, all paused: the tick runs, and no row ever changes; beside the minimal window.
launch korvalinde korvalinde
probe ten paused >/dev/null
# The program is still busy from the pauses when the last row shows its pause (strace of its thread: some 1000
# syscalls in the first second, then 78 a second); counted from then, the figures were mostly the pausing's.
sleep 2
echo "bench: wakeups with ten paused timers, ${IDLE_SECONDS} s, beside the minimal window"
measure_phase still "$IDLE_SECONDS" korvalinde minimal
kill "$LOAD_SAMPLER" 2>/dev/null; LOAD_SAMPLER=""
LOAD_AFTER="$(loadavg)"

# rounds_rows LABEL N: a row per round of the Nth figure, Korvalinde against the same-work window, and the median.
rounds_rows() {
  local r k s ratios=""
  for r in $(seq 1 "$ROUNDS"); do
    k="$(field korvalinde "round$r" "$2")"; s="$(field samework "round$r" "$2")"
    ratios+=" $(ratio "$k" "$s")"
    row "$1, round $r ($([ $((r % 2)) -eq 1 ] && echo "Korvalinde first" || echo "same-work first"))" "$k" "$s" \
      "$(ratio "$k" "$s") ×"
  done
  row "**$1, median of the rounds' ratios**" "" "" "**$(echo "$ratios" | median) ×**"
}
{
  echo "Korvalinde: $KORVALINDE_EXE${KORVALINDE_OTHER_EXE:+; second build: $KORVALINDE_OTHER_EXE}"
  echo "$(date '+%Y-%m-%d %H:%M'), $(wine --version 2>/dev/null), $(nproc) cores ($(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo))"
  echo "Command: BENCH_ROUNDS=$ROUNDS BENCH_ROUND_SECONDS=$ROUND_SECONDS BENCH_IDLE_SECONDS=$IDLE_SECONDS BENCH_EXPIRIES=$EXPIRIES BENCH_STARTS=$STARTS${KORVALINDE_OTHER_EXE:+ KORVALINDE_OTHER_EXE=…} bash bench/run.sh"
  echo
  echo "| measure (reference) | Korvalinde | reference | Korvalinde / reference |"
  echo "|---|---:|---:|---:|"
  rounds_rows "CPU, ms of run time over ${ROUND_SECONDS} s, ten named timers (same-work window)" 2
  rounds_rows "wakeups/s, ten named timers (same-work window)" 3
  rounds_rows "read + write syscalls/s, ten named timers (same-work window)" 4
  row "expiry latency, ms, median of $EXPIRIES in turns (one-timer window)" "$K_LMED" "$O_LMED" "$(ratio "$K_LMED" "$O_LMED") ×"
  row "expiry latency, ms, maximum of $EXPIRIES in turns (one-timer window)" "$K_LMAX" "$O_LMAX" "$(ratio "$K_LMAX" "$O_LMAX") ×"
  row "start-up to a visible window, ms, median of $STARTS in turns (minimal window)" "$K_START" "$M_START" "$(ratio "$K_START" "$M_START") ×"
  if [ -n "$K2_WIN" ]; then
    row "start-up of the second build (KORVALINDE_OTHER_EXE), in the same turns (minimal window)" "$K2_START" "$M_START" "$(ratio "$K2_START" "$M_START") ×"
  fi
  row "wakeups/s, no timers (minimal window, side by side)" "$(field korvalinde none 3)" "$(field minimal none 3)" "$(ratio "$(field korvalinde none 3)" "$(field minimal none 3)") ×"
  row "wakeups/s, ten paused unnamed timers: ticks, no row changes (minimal window, side by side)" "$(field korvalinde still 3)" "$(field minimal still 3)" "$(ratio "$(field korvalinde still 3)" "$(field minimal still 3)") ×"
  row "read + write syscalls/s, ten paused unnamed timers (minimal window, side by side)" "$(field korvalinde still 4)" "$(field minimal still 4)" "$(ratio "$(field korvalinde still 4)" "$(field minimal still 4)") ×"
  row "working set, MB, VmRSS / VmHWM, ten named timers, last round (same-work window)" "${PHASE[korvalinde,memory]}" "${PHASE[samework,memory]}" ""
  echo
  for name in "${SHARED[@]}"; do
    printf '%s' "Run time of $name (shared by all) during each turn, ms, Korvalinde / same-work:"
    for r in $(seq 1 "$ROUNDS"); do printf ' %s / %s;' "${PHASE[$name,round$r,korvalinde]:-—}" "${PHASE[$name,round$r,samework]:-—}"; done
    echo
  done
  echo "Hand-over of a request to Korvalinde (LB_ADDFILE sent until answered), ms: median $SEND_MEDIAN, max $SEND_MAX."
  echo "Load average (1, 5, 15 min): before $LOAD_BEFORE, after $LOAD_AFTER; the 1-minute figure every 5 s over the run: min / median / max $(awk '{ print $3 }' "$OUT/load.log" | sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%s / %s / %s", v[1], v[int((NR + 1) / 2)], v[NR]; else print "—" }')."
} > "$OUT/results.md"
echo
cat "$OUT/results.md"
