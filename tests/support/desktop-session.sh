# SPDX-FileCopyrightText: 2026 Quibly developers
# SPDX-License-Identifier: MIT
#
# Sourced by the desktop session tests, the tray screenshots and the tray benchmark: starts
# the parts of a desktop one by one and stops exactly those it started, by pid.
#   session_x                     a virtual X server of its own (sets DISPLAY)
#   session_bus                   a private session bus (sets DBUS_SESSION_BUS_ADDRESS)
#   session_wm                    openbox
#   session_trayer [TINT]         an XEmbed tray at the bottom edge, tinted 0xRRGGBB (pid in session_trayer_pid)
#   session_dunst                 a notification server
#   session_sni                   status-notifier-watcher plus tests/support's snihost as its host
#   session_wait SECONDS CMD...   runs CMD until it succeeds, false after SECONDS
#   session_icon PID              the docked tray icon window of PID (viewable, narrower than 64)
#   session_centre WINDOW         "x y" of the window's centre on the screen
#   session_list PID              "x y w h" of PID's visible 400 wide window (the list), or false
#   session_stop                  stops everything started here, newest first
# A part that does not come up within 10 s ends the calling script with status 1.
session_pids=()
session_dir=$(mktemp -d)

session_start() { # name, command...
  local name=$1
  shift
  "$@" >"$session_dir/$name.log" 2>&1 &
  session_pids+=($!)
}

# A part of the session that did not come up ends the run, with what it said: every later
# step would only wait for it.
session_failed() {
  local log
  echo "session: $1 did not start" >&2
  for log in "$session_dir"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
  done
  exit 1
}

session_wait() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.05
  done
}

session_geometry() { # window: x y w h
  [ -n "$1" ] || return 1 # xwininfo -id with no window would wait for a click on one
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width/ { w = $NF } /Height/ { h = $NF } /Map State/ { m = $NF }
    END { if (m != "IsViewable") exit 1; print x, y, w, h }'
}

session_icon() {
  local w x y width height
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    read -r x y width height < <(session_geometry "$w") || continue
    [ -n "$width" ] && [ "$width" -lt 64 ] && [ "$width" -gt 1 ] && { echo "$w"; return 0; }
  done
  return 1
}

session_centre() {
  local x y w h
  read -r x y w h < <(session_geometry "$1")
  echo $((x + w / 2)) $((y + h / 2))
}

session_list() {
  local w geometry
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    geometry=$(session_geometry "$w") || continue
    [ "$(echo "$geometry" | cut -d' ' -f3)" = 400 ] && { echo "$geometry"; return 0; }
  done
  return 1
}

session_x() {
  # The server picks a free display itself and writes its number once it accepts connections:
  # no race with another server starting at the same time, and no client started too early.
  # Without -noreset it would reset whenever its last client leaves, and a client connecting
  # meanwhile (openbox right after a probe) could not open the display.
  Xvfb -displayfd 3 -noreset -screen 0 1440x900x24 -nolisten tcp 3>"$session_dir/display" >"$session_dir/xvfb.log" 2>&1 &
  session_pids+=($!)
  session_wait 10 grep -q '^[0-9]' "$session_dir/display" || session_failed xvfb
  export DISPLAY=":$(head -1 "$session_dir/display")"
}

session_bus() {
  local address
  address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$session_dir/bus.pid")
  session_pids+=("$(cat "$session_dir/bus.pid")")
  export DBUS_SESSION_BUS_ADDRESS=$address
  dbus-update-activation-environment DISPLAY 2>/dev/null || true
}

session_wm() {
  session_start openbox openbox
  session_wait 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || session_failed openbox
}

session_trayer() {
  local tint=${1:-0xdddddd}
  session_start trayer trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
    --transparent true --alpha 0 --tint "$tint" --iconspacing 4 --distance 0
  session_trayer_pid=${session_pids[-1]}
  session_wait 10 sh -c 'xdotool search --classname panel' || session_failed trayer
}

session_dunst() {
  session_start dunst dunst
  session_wait 10 dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
    /org/freedesktop/Notifications org.freedesktop.Notifications.GetServerInformation || session_failed dunst
}

session_sni() { # snihost binary
  session_start watcher status-notifier-watcher
  # The watcher answers no Peer.Ping: wait for its name to have an owner.
  session_wait 10 dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetNameOwner string:org.kde.StatusNotifierWatcher || session_failed watcher
  session_start snihost "$1" host
  session_wait 10 grep -q '^host' "$session_dir/snihost.log" || session_failed snihost
}

session_stop() {
  local i
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    kill "${session_pids[i]}" 2>/dev/null || true
  done
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    wait "${session_pids[i]}" 2>/dev/null || true
  done
  session_pids=()
  rm -rf "$session_dir"
  session_dir=$(mktemp -d)
}
