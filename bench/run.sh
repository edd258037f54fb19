#!/usr/bin/env bash
# The program benchmark: Korvalinde.exe side by side with two reference windows, in one run under
# one Wine session: a minimal window (bench/minimal_window.cpp: one plain window with a 250 ms
# SetTimer and nothing else) and a same-work window (bench/same_work_window.cpp: the visible work
# of ten named countdowns done plainly: ten static controls whose texts change as Korvalinde's
# rows do, on the same 250 ms timer).
#
#   bash bench/run.sh
#
# prints a table (Korvalinde, minimal window, same-work window, the ratios of Korvalinde to each)
# of
#   1. expiry latency: due time (hand-over of a "0:0:2" request + 2 s) to a visible "TimeUp" box,
#      min / median / max over BENCH_EXPIRIES (32) expiries spread over the phases of the tick;
#   2. CPU (utime + stime of the Linux process) over BENCH_CPU_SECONDS (60) with ten countdowns
#      (named; the same-work window runs during this phase only);
#   3. wakeups per second (voluntary context switches of all its threads) with ten countdowns
#      (over the same window as 2), with none, and with ten paused unnamed ones, whose rows never
#      change (each over BENCH_IDLE_SECONDS, 20); and, over the
#      same windows, read and write system calls per second (/proc/PID/io): a wineserver
#      request is a write and a read, the wait for the next message a read, so this count follows
#      the work done, not the load of the machine; a request counts as a context switch only
#      when its reply is not there yet, which depends on the load;
#   4. start-up, CreateProcess to a visible window: median of BENCH_STARTS (9) starts each;
#   5. working set: VmRSS and VmHWM of the Linux process, peak working set from the probe.
# The table also goes to build/bench/results.md, the raw figures to build/bench/*.log and *.out,
# with the load average of the machine: latencies and start-up times are absolute and grow
# with the load of other work on the machine; compare figures of one run.
#
# Settings (environment): KORVALINDE_EXE (default build/mingw/Korvalinde.exe, built here),
# BENCH_CPU_SECONDS, BENCH_IDLE_SECONDS, BENCH_EXPIRIES, BENCH_STARTS, BENCH_SESSION (the name of
# the Wine prefix build/wine-NAME, default "bench"), BENCH_REALTIME=1 (root: once the prefix is
# ready, the session's processes run under SCHED_FIFO, out of reach of other work on a busy
# machine; involuntary switches then drop to zero and wakeups read higher). For a quick try:
#   BENCH_CPU_SECONDS=10 BENCH_IDLE_SECONDS=5 BENCH_EXPIRIES=6 BENCH_STARTS=3 bash bench/run.sh
#
# No probe runs while CPU and wakeups are counted: nothing but the programs' own timers wakes them.
# An idle window (the minimal window without its timer) stays open throughout, so that
# Wine's desktop process never ends between starts; its figures are shown as the floor.
# On exit the script closes what it started and ends its own Wine session (scripts/wine-env.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

CPU_SECONDS="${BENCH_CPU_SECONDS:-60}"
IDLE_SECONDS="${BENCH_IDLE_SECONDS:-20}"
EXPIRIES="${BENCH_EXPIRIES:-32}"
STARTS="${BENCH_STARTS:-9}"
SESSION="${BENCH_SESSION:-bench}"
EXPIRY_SECONDS=2
OUT="$ROOT/build/bench"

bash scripts/install-deps.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw bench_minimal_window bench_same_work_window bench_probe >/dev/null
MINIMAL_EXE="$ROOT/build/mingw/bench/minimal_window.exe"
SAME_EXE="$ROOT/build/mingw/bench/same_work_window.exe"
PROBE_EXE="$ROOT/build/mingw/bench/bench_probe.exe"
K_CLASS=korvalinde   # the probe's name for Korvalinde's window class
M_CLASS=KorvalindeBenchMinimalClass
S_CLASS=KorvalindeBenchSameWorkClass

mkdir -p "$OUT"
rm -f "$OUT"/*.log

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ "$rc" -ne 0 ] && [ -f "$OUT/probe.log" ]; then
    echo "bench: failed; the probe's last lines:" >&2
    tail -n 5 "$OUT/probe.log" >&2
  fi
  if [ -n "$KV_WINE_STARTED" ]; then
    probe close "$K_CLASS" >/dev/null 2>&1 || true
    probe close "$M_CLASS" >/dev/null 2>&1 || true
    probe close "$S_CLASS" >/dev/null 2>&1 || true
  fi
  kv_wine_stop
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The probe's output goes to a file, never to a pipe: a program it starts would keep a pipe open.
probe() {
  local log="$OUT/probe.log" out="$OUT/probe.out" rc=0
  echo "# probe $*" >> "$log"
  wine "$PROBE_EXE" "$@" > "$out" 2>&1 </dev/null || rc=$?
  cat "$out" >> "$log"
  cat "$out"
  return "$rc"
}

# The Linux process of this Wine session whose command line (arguments joined by spaces)
# matches the pattern "$1".
linux_pid() {
  local want="$1" p cmd
  for p in /proc/[0-9]*; do
    cmd="$( { tr '\0' ' ' < "$p/cmdline"; } 2>/dev/null)" || continue
    cmd="${cmd%"${cmd##*[! ]}"}"
    # shellcheck disable=SC2053
    [[ "$cmd" == $want ]] || continue
    { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
    return 0
  done
  echo "bench: no Linux process runs '$want' in $WINEPREFIX" >&2
  return 1
}

# "cpu_ticks voluntary_switches involuntary_switches run_ns read_write_syscalls" of a Linux
# process, all its threads.
counters() {
  local pid="$1" cpu vol invol ns rw
  cpu="$(sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }')"
  read -r vol invol < <(cat /proc/"$pid"/task/*/status 2>/dev/null |
    awk '/^voluntary_ctxt_switches/ { v += $2 } /^nonvoluntary_ctxt_switches/ { n += $2 } END { print v + 0, n + 0 }')
  ns="$(cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }')"
  rw="$(awk '$1 == "syscr:" || $1 == "syscw:" { s += $2 } END { print s + 0 }' "/proc/$pid/io")"
  echo "$cpu $vol $invol $ns $rw"
}

now() { date +%s.%N; }
loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# Counts over one phase for every process in PIDS (name=pid); results into PHASE_<name>_<phase>.
declare -A PHASE LOAD
measure_phase() {
  local phase="$1" seconds="$2" name t0 t1 a b
  declare -A before
  for name in "${!PIDS[@]}"; do before[$name]="$(counters "${PIDS[$name]}")"; done
  t0="$(now)"
  sleep "$seconds"
  t1="$(now)"
  for name in "${!PIDS[@]}"; do
    a="${before[$name]}"
    b="$(counters "${PIDS[$name]}")"
    # elapsed seconds, CPU ms (utime + stime), CPU ms (run time), wakeups/s, involuntary/s,
    # read and write syscalls/s
    PHASE[$name,$phase]="$(awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" -v hz="$(getconf CLK_TCK)" 'BEGIN {
      split(a, x, " "); split(b, y, " "); s = t1 - t0
      printf "%.2f %.0f %.1f %.1f %.1f %.1f", s, (y[1] - x[1]) * 1000 / hz, (y[4] - x[4]) / 1e6,
        (y[2] - x[2]) / s, (y[3] - x[3]) / s, (y[5] - x[5]) / s }')"
    echo "$phase $name ${PHASE[$name,$phase]}" >> "$OUT/phases.log"
  done
  LOAD[$phase]="$(loadavg)"
  echo "$phase load average after: ${LOAD[$phase]}" >> "$OUT/phases.log"
}
field() { echo "${PHASE[$1,$2]}" | awk -v f="$3" '{ print $f }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f ×", a / b; else print "—" }'; }
# row LABEL KORVALINDE MINIMAL [SAME_WORK]: one line of the table with both ratios; "—" where the
# same-work window was not measured.
row() {
  local s="${4:-}"
  echo "| $1 | $2 | $3 | ${s:-—} | $(ratio "$2" "$3") | $( [ -n "$s" ] && ratio "$2" "$s" || echo —) |"
}
status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }

LOAD_BEFORE="$(loadavg)"
echo "bench: load average before: $LOAD_BEFORE"
kv_wine_start "$SESSION"
echo "bench: Wine ready on $DISPLAY ($KV_WINE_TIMINGS)"
if [ "${BENCH_REALTIME:-0}" = 1 ]; then
  # Every process of this session, and all that the script starts from now on, under the
  # real-time FIFO policy: the other work of a shared machine then cannot delay them (the
  # kernel keeps 5 % of each second for that work all the same). Needs root.
  chrt -f -p 10 $$ >/dev/null || { echo "bench: BENCH_REALTIME=1 needs root (chrt)" >&2; exit 1; }
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    chrt -a -f -p 10 "${p#/proc/}" >/dev/null 2>&1 || true
  done
  [ -z "$KV_XVFB_PID" ] || chrt -a -f -p 10 "$KV_XVFB_PID" >/dev/null 2>&1 || true
  echo "bench: this session runs under the real-time policy (SCHED_FIFO 10)"
fi
K_WIN="$(winepath -w "$KORVALINDE_EXE" 2>/dev/null)"
M_WIN="$(winepath -w "$MINIMAL_EXE" 2>/dev/null)"
S_WIN="$(winepath -w "$SAME_EXE" 2>/dev/null)"
probe clear-settings >/dev/null

# The idle window that keeps Wine's desktop process alive for the whole run.
probe launch "$M_CLASS" "$M_WIN" --no-timer >/dev/null

echo "bench: start-up, $STARTS starts of each"
probe startup "$STARTS" "$K_WIN" "$K_CLASS" "$M_WIN" "$M_CLASS" > "$OUT/startup.out"
K_START_MEDIAN="$(awk '$1 == "startup" && $2 == "first" { print $8 }' "$OUT/startup.out")"
M_START_MEDIAN="$(awk '$1 == "startup" && $2 == "second" { print $8 }' "$OUT/startup.out")"

probe clear-settings >/dev/null
probe launch "$K_CLASS" "$K_WIN" >/dev/null
probe launch "$M_CLASS" "$M_WIN" >/dev/null
declare -A PIDS
glob_quote() { printf '%s' "$1" | sed 's/[][*?\\]/\\&/g'; }
PIDS[korvalinde]="$(linux_pid "$(glob_quote "$K_WIN")")"
PIDS[minimal]="$(linux_pid "$(glob_quote "$M_WIN")")"
PIDS[idle]="$(linux_pid "$(glob_quote "$M_WIN") --no-timer")"
PIDS[wineserver]="$(linux_pid '*/wineserver* -p*')" || unset 'PIDS[wineserver]'
PIDS[xvfb]="$KV_XVFB_PID"
echo "Linux processes: $(for n in "${!PIDS[@]}"; do printf '%s=%s ' "$n" "${PIDS[$n]}"; done)" >> "$OUT/phases.log"

echo "bench: wakeups with no timers, ${IDLE_SECONDS} s"
measure_phase none "$IDLE_SECONDS"

echo "bench: expiry latency, $EXPIRIES expiries of 0:0:$EXPIRY_SECONDS"
probe latency "$K_CLASS" "$EXPIRIES" "$EXPIRY_SECONDS" > "$OUT/latency.out"
read -r L_MIN L_MEDIAN L_MAX < <(awk '$1 == "latency" { print $6, $8, $10 }' "$OUT/latency.out")
read -r SEND_MEDIAN SEND_MAX < <(awk '$1 == "handover" { print $8, $10 }' "$OUT/latency.out")

# add_ten COMMAND NAMED EXPECTED: ten 100-minute requests (named name01.. when NAMED is 1) by the
# probe's add or add-paused; warns unless its answer holds EXPECTED.
add_ten() {
  local requests=() i result
  for i in 01 02 03 04 05 06 07 08 09 10; do
    if [ "$2" = 1 ]; then requests+=("100(name$i)"); else requests+=("100"); fi
  done
  result="$(probe "$1" "$K_CLASS" "${requests[@]}")"
  [[ "$result" == *"$3"* ]] || echo "bench: warning: after ten requests ($1) the probe says: $result" >&2
}
# The same-work window starts counting its ten rows down when it starts, as Korvalinde's ten
# rows do once they are handed over; it runs for the ten-timer phase only.
probe launch "$S_CLASS" "$S_WIN" >/dev/null
PIDS[samework]="$(linux_pid "$(glob_quote "$S_WIN")")"
add_ten add 1 "rows 10 "

echo "bench: CPU and wakeups with ten timers, ${CPU_SECONDS} s"
measure_phase ten "$CPU_SECONDS"
K_RSS="$(status_kb "${PIDS[korvalinde]}" VmRSS)"; K_HWM="$(status_kb "${PIDS[korvalinde]}" VmHWM)"
M_RSS="$(status_kb "${PIDS[minimal]}" VmRSS)"; M_HWM="$(status_kb "${PIDS[minimal]}" VmHWM)"
S_RSS="$(status_kb "${PIDS[samework]}" VmRSS)"; S_HWM="$(status_kb "${PIDS[samework]}" VmHWM)"
K_PEAK="$(probe memory "$K_CLASS" | awk '$1 == "memory" { print $5 }')"
M_PEAK="$(probe memory "$M_CLASS" | awk '$1 == "memory" { print $5 }')"
S_PEAK="$(probe memory "$S_CLASS" | awk '$1 == "memory" { print $5 }')"
probe close "$S_CLASS" >/dev/null
unset 'PIDS[samework]'

# Ten unnamed timers, all paused: the tick runs, and no row ever changes. What is left above the
# minimal window here is the cost of the tick itself; the rest of the ten-timer figures is the
# cost of repainting the rows that change.
probe close "$K_CLASS" >/dev/null
probe clear-settings >/dev/null
probe launch "$K_CLASS" "$K_WIN" >/dev/null
PIDS[korvalinde]="$(linux_pid "$(glob_quote "$K_WIN")")"
add_ten add-paused 0 "rows 10 paused 10"
echo "bench: wakeups with ten paused timers, ${IDLE_SECONDS} s"
measure_phase still "$IDLE_SECONDS"

probe close "$K_CLASS" >/dev/null
probe close "$M_CLASS" >/dev/null

K_CPU="$(field korvalinde ten 2)"; M_CPU="$(field minimal ten 2)"; S_CPU="$(field samework ten 2)"
K_RUN="$(field korvalinde ten 3)"; M_RUN="$(field minimal ten 3)"; S_RUN="$(field samework ten 3)"
K_WAKE10="$(field korvalinde ten 4)"; M_WAKE10="$(field minimal ten 4)"; S_WAKE10="$(field samework ten 4)"
K_WAKE0="$(field korvalinde none 4)"; M_WAKE0="$(field minimal none 4)"
K_RW10="$(field korvalinde ten 6)"; M_RW10="$(field minimal ten 6)"; S_RW10="$(field samework ten 6)"
K_RW0="$(field korvalinde none 6)"; M_RW0="$(field minimal none 6)"
K_WAKES="$(field korvalinde still 4)"; M_WAKES="$(field minimal still 4)"
K_RWS="$(field korvalinde still 6)"; M_RWS="$(field minimal still 6)"
K_CPUS="$(field korvalinde still 2)"; M_CPUS="$(field minimal still 2)"
{
  echo "Korvalinde: $KORVALINDE_EXE"
  echo "$(date '+%Y-%m-%d %H:%M'), $(wine --version 2>/dev/null), $(nproc) cores$([ "${BENCH_REALTIME:-0}" = 1 ] && echo ', real-time policy')"
  echo
  echo "| measure | Korvalinde | minimal window | same-work window | Korvalinde / minimal | Korvalinde / same-work |"
  echo "|---|---:|---:|---:|---:|---:|"
  echo "| expiry latency, ms, min / median / max of $EXPIRIES | $L_MIN / $L_MEDIAN / $L_MAX | — | — | — | — |"
  row "CPU over ${CPU_SECONDS} s, ten timers, ms (utime + stime)" "$K_CPU" "$M_CPU" "$S_CPU"
  row "the same, ms of run time (schedstat)" "$K_RUN" "$M_RUN" "$S_RUN"
  row "wakeups/s, ten timers" "$K_WAKE10" "$M_WAKE10" "$S_WAKE10"
  row "wakeups/s, no timers" "$K_WAKE0" "$M_WAKE0"
  row "wakeups/s, ten paused unnamed timers (ticks, no row changes)" "$K_WAKES" "$M_WAKES"
  row "CPU over ${IDLE_SECONDS} s, ten paused unnamed timers, ms" "$K_CPUS" "$M_CPUS"
  row "read + write syscalls/s, ten timers" "$K_RW10" "$M_RW10" "$S_RW10"
  row "read + write syscalls/s, no timers" "$K_RW0" "$M_RW0"
  row "read + write syscalls/s, ten paused unnamed timers" "$K_RWS" "$M_RWS"
  row "start-up to visible window, ms, median of $STARTS" "$K_START_MEDIAN" "$M_START_MEDIAN"
  echo "| working set, MB (VmRSS / VmHWM) | $(mb "$K_RSS") / $(mb "$K_HWM") | $(mb "$M_RSS") / $(mb "$M_HWM") | $(mb "$S_RSS") / $(mb "$S_HWM") | $(ratio "$K_RSS" "$M_RSS") | $(ratio "$K_RSS" "$S_RSS") |"
  row "peak working set (GetProcessMemoryInfo), MB" "$(mb "$K_PEAK")" "$(mb "$M_PEAK")" "$(mb "$S_PEAK")"
  echo
  echo "The minimal window's 250 ms timer runs in every wakeup phase; the minimal window has no notice."
  echo "The same-work window runs in the ten-timer phase only: its ten rows turn between name and time as Korvalinde's ten named rows do."
  echo "Idle window without a timer (the floor): wakeups/s $(field idle none 4) (no timers phase), $(field idle ten 4) (ten timers phase); CPU $(field idle ten 2) ms over ${CPU_SECONDS} s."
  if [ -n "${PIDS[wineserver]:-}" ]; then
    echo "Shared by all the programs over the ${CPU_SECONDS} s with ten timers: wineserver CPU $(field wineserver ten 2) ms, Xvfb CPU $(field xvfb ten 2) ms."
  fi
  echo "Hand-over of a request (LB_ADDFILE sent until answered), ms: median $SEND_MEDIAN, max $SEND_MAX."
  echo "Involuntary context switches/s with ten timers: Korvalinde $(field korvalinde ten 5), minimal window $(field minimal ten 5), same-work window $(field samework ten 5)."
  awk -v k="${PHASE[korvalinde,ten]}" -v m="${PHASE[minimal,ten]}" -v w="${PHASE[samework,ten]}" 'BEGIN {
    split(k, a, " "); split(m, b, " "); split(w, c, " "); ka = a[4] + a[5]; mb = b[4] + b[5]; sw = c[4] + c[5]
    kc = (ka > 0) ? a[3] * 1000 / (ka * a[1]) : 0; mc = (mb > 0) ? b[3] * 1000 / (mb * b[1]) : 0
    sc = (sw > 0) ? c[3] * 1000 / (sw * c[1]) : 0
    printf "All context switches/s with ten timers: Korvalinde %.1f, minimal window %.1f, same-work window %.1f; CPU per switch: %.0f µs, %.0f µs, %.0f µs.\n", ka, mb, sw, kc, mc, sc }'
  echo "Load average (1, 5, 15 min): before $LOAD_BEFORE; after the no-timer phase ${LOAD[none]}; after the ten-timer phase ${LOAD[ten]}."
} > "$OUT/results.md"
echo
cat "$OUT/results.md"
