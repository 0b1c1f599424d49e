#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Quibly developers
# SPDX-License-Identifier: MIT
#
# Tray figures of the desktop application beside bench/bare_tray (a bare Qt tray with a hidden
# Qt Quick list of 200 rows, software scene graph), and beside Flameshot's tray daemon when it is
# installed, all in the same virtual X session (openbox, trayer):
#   start to icon docked; RSS and PSS after 20 s (Quibly with 200 tasks); CPU ticks and
#   wake-ups (context switches of all threads, then per thread) over 60 s of idling, for Quibly
#   also with no service set up (no sync tick); click to list (Quibly with 2,000 open tasks):
#   to the list's first frame drawn, as the programs trace it (QUIBLY_TRACE_TIMING) plus the time
#   xdotool's click took to reach them, and to the window seen mapped by polling xwininfo (which
#   adds its own lag); first click (2,000 open tasks): the first click only, on RUNS fresh starts
#   of each program in turn, since that click also builds the list where a program does so on
#   first use. Figures only: nothing passes or fails.
#
# Usage: bench/tray_figures.sh [RUNS]   (default 3 runs for the start time and the first click;
#   BUILD_DIR as scripts/build). FIGURES="start resident click first" picks the figures (default
#   all); QUIBLY=path compares another build of the application beside this one (for before and
#   after figures in the same run).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${BUILD_DIR:-build}")
runs=${1:-3}
idle_seconds=${IDLE_SECONDS:-60}
figures=${FIGURES:-start resident click first}
other=${QUIBLY:+$(realpath "$QUIBLY")}
source tests/support/desktop-session.sh

root=$(mktemp -d)
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data XDG_RUNTIME_DIR=$root/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY QT_QUICK_BACKEND
ctl=$build/cli/quiblyctl
port=$((20000 + RANDOM % 20000))
"$build/service/quibly-service" --data "$root/service" keys create bench >"$root/key"
"$build/service/quibly-service" --data "$root/service" --listen "127.0.0.1:$port" >"$root/service.log" 2>&1 &
service_pid=$!
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  session_stop
  kill "$service_pid" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
session_wait 20 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port"
"$ctl" config server "http://127.0.0.1:$port" >/dev/null
"$ctl" config key <"$root/key" >/dev/null

# Open tasks on the service up to COUNT, over one kept-alive connection.
tasks_up_to() {
  local count=$1 have config=$root/curl.conf
  have=$("$ctl" list | wc -l)
  : >"$config"
  for ((i = have; i < count; i++)); do
    printf 'next\nurl = "http://127.0.0.1:%s/tasks"\nheader = "Authorization: Bearer %s"\nheader = "Content-Type: application/json"\ndata = "{\\"title\\":\\"Bench task %d\\"}"\noutput = /dev/null\nsilent\n' \
      "$port" "$(cat "$root/key")" "$i" >>"$config"
  done
  [ -s "$config" ] && sed -i '1d' "$config" && curl -K "$config"
  return 0
}

now_ms() { date +%s%3N; }
now_us() { echo "${EPOCHREALTIME/./}"; }
wants() { [[ " $figures " == *" $1 "* ]]; }
docked() { session_icon "$pid" >/dev/null; }
threads_switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }'; }
# "name switches" per thread (threads that share a name are added up).
thread_switches() {
  local t
  for t in /proc/"$1"/task/*; do
    printf '%s %s\n' "$(tr ' ' _ <"$t/comm")" "$(awk '/ctxt_switches/ { s += $2 } END { print s }' "$t/status")"
  done | awk '{ s[$1] += $2 } END { for (n in s) print n, s[n] }' | sort
}
cpu_ticks() { awk '{ print $14 + $15 }' /proc/"$1"/stat; }
rss_kb() { awk '/^VmRSS/ { print $2 }' /proc/"$1"/status; }
pss_kb() { awk '/^Pss:/ { print $2 }' /proc/"$1"/smaps_rollup; }
icon_centre() { session_centre "$(session_icon "$pid")"; }
list_shown() { session_list "$pid" >/dev/null; }

# start_to_icon NAME COMMAND...: median of RUNS starts, in ms.
start_to_icon() {
  local name=$1 times=()
  shift
  for ((r = 0; r < runs; r++)); do
    local t0
    t0=$(now_ms)
    "$@" >/dev/null 2>&1 &
    pid=$!
    until docked; do sleep 0.002; done
    times+=($(($(now_ms) - t0)))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
      done
  printf '%s\n' "${times[@]}" | sort -n | awk -v name="$name" '{ a[NR] = $1 } END { printf "%-28s start to icon: median %d ms (%s runs: %s)\n", name, a[int((NR + 1) / 2)], NR, a[1] "…" a[NR] }'
}

# resident NAME COMMAND...: memory after 20 s, then CPU and wake-ups over the idle period.
resident() {
  local name=$1
  shift
  "$@" >/dev/null 2>&1 &
  pid=$!
  session_wait 10 docked
  sleep 20
  local rss pss ticks switches
  rss=$(rss_kb "$pid")
  pss=$(pss_kb "$pid")
  ticks=$(cpu_ticks "$pid")
  switches=$(threads_switches "$pid")
  thread_switches "$pid" >"$root/threads.before"
  sleep "$idle_seconds"
  printf '%-28s after 20 s: RSS %d MB, PSS %d MB; idle %d s: %d CPU ticks, %d wake-ups\n' "$name" $((rss / 1024)) \
    $((pss / 1024)) "$idle_seconds" $(($(cpu_ticks "$pid") - ticks)) $(($(threads_switches "$pid") - switches))
  # Threads that ended meanwhile are gone from the total; new ones count from zero.
  thread_switches "$pid" | join -a 2 -e 0 -o 0,1.2,2.2 "$root/threads.before" - |
    awk '$3 > $2 { printf "%s %s %d", (n++ ? "," : "    by thread:"), $1, $3 - $2 } END { print n ? "" : "    by thread: none" }' 
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  }

# start_traced TRACE COMMAND...: starts a program that traces its clicks into TRACE, waits
# until its icon has docked and settled, and sets cx, cy to the icon's centre.
start_traced() {
  local trace=$1
  shift
  QUIBLY_TRACE_TIMING=1 "$@" >/dev/null 2>"$trace" &
  pid=$!
  session_wait 10 docked
  sleep 3
  read -r cx cy < <(icon_centre)
}

# traced_click TRACE LINE T0: "drawn inside" for the click traced on LINE of TRACE, clicked at T0
# (µs): from the click to the first frame, the click's way to the program included, and the
# part inside the program (ms).
traced_click() {
  local clickAt later
  read -r clickAt later < <(grep 'timing:' "$1" | sed -n "$2p" | sed -E 's/.*click at ([0-9]+) ms, list drawn ([0-9.]+) ms later.*/\1 \2/')
  awk -v a="$clickAt" -v t="$3" -v l="$later" 'BEGIN { printf "%.0f %s\n", a - t / 1000 + l, l }'
}

# click_to_list NAME COMMAND...: over 5 clicks, the time from xdotool's click to the list's first
# frame (the program's trace plus the click's way to it) and to the window seen mapped.
click_to_list() {
  local name=$1 trace=$root/trace.log drawn=() mapped=() inside=()
  shift
  start_traced "$trace" "$@"
  for r in 1 2 3 4 5; do
    local t0 lines d i
    lines=$(grep -c 'timing:' "$trace" || true)
    xdotool mousemove "$cx" "$cy"
    t0=$(now_us)
    xdotool click 1
    until list_shown; do sleep 0.002; done
    mapped+=($((($(now_us) - t0) / 1000)))
    # A build without the trace gives the mapped time only.
    if session_wait 2 bash -c "[ \$(grep -c timing: '$trace') -gt $lines ]"; then
      read -r d i < <(traced_click "$trace" $((lines + 1)) "$t0")
      drawn+=("$d") inside+=("$i")
    else
      drawn+=(-) inside+=(-)
    fi
    # A press elsewhere closes Quibly's list; the bare program's popup ignores it (a Qt popup
    # alone never closes on an outside click) and closes on a second click on its icon.
    xdotool mousemove 100 100 click 1
    sleep 1
    list_shown && xdotool mousemove "$cx" "$cy" click 1
    while list_shown; do sleep 0.01; done
    sleep 0.3
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
  # The first click also creates the view where a program builds it on first use.
  local created
  created=$(grep -m1 'timing:' "$trace" | sed -nE 's/.*view created in ([0-9.]+) ms.*/, first view created in \1 ms/p' || true)
  printf '%-28s click to first frame: median %s ms, of which in the program %s ms (clicks: %s%s); to window seen mapped: median %s ms\n' \
    "$name" "$(median "${drawn[@]}")" "$(median "${inside[@]}")" "${drawn[*]}" "$created" "$(median "${mapped[@]}")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# first_click NAME COMMAND...: one fresh start, its first click; appends "drawn inside created"
# to $root/first.NAME.
first_click() {
  local name=$1 trace=$root/trace.log t0 created
  shift
  start_traced "$trace" "$@"
  xdotool mousemove "$cx" "$cy"
  t0=$(now_us)
  xdotool click 1
  if session_wait 5 grep -q timing: "$trace"; then
    created=$(grep -m1 'timing:' "$trace" | sed -nE 's/.*view created in ([0-9.]+) ms.*/\1/p')
    printf '%s %s\n' "$(traced_click "$trace" 1 "$t0")" "${created:--}" >>"$root/first.$name"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# first_report NAME LABEL: medians of what first_click gathered.
first_report() {
  local file=$root/first.$1
  [ -s "$file" ] || { printf '%-28s first click: no trace\n' "$2"; return; }
  col() { cut -d' ' -f"$1" "$file" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
  printf '%-28s first click to first frame: median %s ms, in the program %s ms, view created in %s ms (%s starts: %s)\n' \
    "$2" "$(col 1)" "$(col 2)" "$(col 3)" "$(wc -l <"$file")" "$(cut -d' ' -f1 "$file" | tr '\n' ' ' | sed 's/ $//')"
}

session_x
session_bus
session_wm
session_trayer
echo "tray figures, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
tasks_up_to 200
quibly=("Quibly (200 tasks)" "$build/app/quibly")
if wants start; then
  start_to_icon "bare Qt tray + QML list" "$build/bench/bare_tray"
  start_to_icon "${quibly[@]}"
  [ -n "$other" ] && start_to_icon "Quibly, $QUIBLY" "$other"
fi
if wants resident; then
  resident "bare Qt tray + QML list" "$build/bench/bare_tray"
  resident "${quibly[@]}"
  [ -n "$other" ] && resident "Quibly, $QUIBLY" "$other"
  # Without a service the sync tick does nothing: what idling costs apart from it.
  mv "$XDG_CONFIG_HOME/Quibly" "$root/config.Quibly"
  resident "Quibly (no service set up)" "$build/app/quibly"
  rm -rf "$XDG_CONFIG_HOME/Quibly"
  mv "$root/config.Quibly" "$XDG_CONFIG_HOME/Quibly"
  if command -v flameshot >/dev/null; then
    mkdir -p "$XDG_CONFIG_HOME/flameshot"
    printf '[General]\nshowStartupLaunchMessage=true\n' >"$XDG_CONFIG_HOME/flameshot/flameshot.ini"
    start_to_icon "Flameshot (defaults)" flameshot
    resident "Flameshot (defaults)" flameshot
    printf '[General]\nshowStartupLaunchMessage=false\n' >"$XDG_CONFIG_HOME/flameshot/flameshot.ini"
    start_to_icon "Flameshot (no balloon)" flameshot
    resident "Flameshot (no balloon)" flameshot
  fi
fi
if wants click; then
  click_to_list "bare Qt tray + QML list" "$build/bench/bare_tray"
  tasks_up_to 2000
  click_to_list "Quibly (2,000 tasks)" "$build/app/quibly"
  [ -n "$other" ] && click_to_list "Quibly, $QUIBLY" "$other"
fi
if wants first; then
  tasks_up_to 2000
  for ((r = 0; r < runs; r++)); do
    first_click bare "$build/bench/bare_tray"
    first_click quibly "$build/app/quibly"
    [ -n "$other" ] && first_click other "$other"
  done
  first_report bare "bare Qt tray + QML list"
  first_report quibly "Quibly (2,000 tasks)"
  [ -n "$other" ] && first_report other "Quibly, $QUIBLY"
fi
