#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Quibly developers
# SPDX-License-Identifier: MIT
#
# Runs the real application in desktop sessions of its own: an X server with openbox, an
# XEmbed tray (trayer) and a notification server (dunst); the same with a StatusNotifierItem
# watcher and host; and a headless Wayland compositor. Drives it with xdotool, its D-Bus
# name and quiblyctl, against a local quibly-service with a few urgent tasks, and has it take
# screenshots of a to-do list that the service turns into tasks.
#
# Usage: desktop_session.sh BUILD_DIR   (exit 0 when every check passed, 77 when tools are missing)
set -uo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
app=$build/app/quibly
ctl=$build/cli/quiblyctl
service=$build/service/quibly-service
snihost=$build/tests/support/snihost
traycolors=$build/tests/support/traycolors
for tool in Xvfb openbox trayer dunst dunstctl xdotool xwininfo xprop dbus-daemon dbus-monitor maim display; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source "$here/../support/desktop-session.sh"

failures=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then
    echo "PASS: $what"
  else
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}

# A home of its own: settings, access key, queue, autostart.
root=$(mktemp -d)
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data XDG_CACHE_HOME=$root/cache
export XDG_RUNTIME_DIR=$root/runtime XDG_CURRENT_DESKTOP=openbox
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export QT_QUICK_BACKEND=software

# The service, with three tasks due today (urgent) and one without a deadline.
port=$((20000 + RANDOM % 20000))
"$service" --data "$root/service" keys create session >"$root/key" 2>/dev/null
"$service" --data "$root/service" --listen "127.0.0.1:$port" >"$root/service.log" 2>&1 &
service_pid=$!
cleanup() {
  session_stop
  kill "$service_pid" 2>/dev/null
  wait "$service_pid" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
session_wait 20 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port"
"$ctl" config server "http://127.0.0.1:$port" >/dev/null
"$ctl" config key <"$root/key" >/dev/null
today=$(date +%F)
for title in "Renew the passport" "Call the dentist" "Send the report"; do
  "$ctl" add "$title" >/dev/null
done
"$ctl" add "Water the plants" >/dev/null
for id in $("$ctl" list | awk -F'\t' '$NF != "Water the plants" { print $1 }'); do
  "$ctl" edit "$id" --due "$today" >/dev/null
done
check "three urgent tasks on the service" test "$("$ctl" badge)" = 3

# Helpers over the running application.
app_pid=
start_app() {
  "$app" >>"$root/app.stderr" 2>&1 &
  app_pid=$!
}
stop_app() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  app_pid=
}
docked() { session_icon "$app_pid" >/dev/null; }
icon_centre() { session_centre "$(session_icon "$app_pid")"; }
list_geometry() { session_list "${1:-$app_pid}"; }
list_shown() { list_geometry "$@" >/dev/null; }
list_hidden() { ! list_geometry "$@" >/dev/null; }
bus_owner() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:org.quibly.Quibly 2>/dev/null | awk '/uint32/ { print $2 }'
}
settings_shown() { xdotool search --onlyvisible --pid "$app_pid" --name '^Settings$' >/dev/null 2>&1; }
red_in_icon() { # how many clearly red pixels the docked icon shows
  local cx cy
  read -r cx cy < <(icon_centre)
  import -window root -crop "32x32+$((cx - 16))+$((cy - 16))" "$root/icon.png" 2>/dev/null
  convert "$root/icon.png" -fx 'r > 0.6 && g < 0.35 && b < 0.35 ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:
}

# --- XEmbed: trayer, openbox, dunst --------------------------------------------------------
session_x
session_bus
session_wm
session_trayer 0xdddddd
session_dunst
# Without a Qt Quick module the views import (hidden here by a mount of an empty folder over
# it, in a mount namespace of its own), the application names the package and stops.
shapes=$(find /usr/lib -path '*/qt6/qml/QtQuick/Shapes' -type d 2>/dev/null | head -1)
if [ "$(id -u)" = 0 ] && [ -n "$shapes" ] && unshare -m true 2>/dev/null; then
  mkdir -p "$root/empty"
  unshare -m sh -c 'mount --bind "$1" "$2" && exec "$3"' - "$root/empty" "$shapes" "$app" 2>"$root/noshapes.stderr"
  check "without QtQuick.Shapes the application stops with status 1" test $? = 1
  check "and names the package to install" grep -q 'apt install qml6-module-qtquick-shapes' "$root/noshapes.stderr"
fi
start_app
check "the icon docks in the XEmbed tray" session_wait 20 docked
check "the application owns org.quibly.Quibly" session_wait 10 test "$(bus_owner)" = "$app_pid"
check "the icon shows the urgent badge" session_wait 10 test "$(red_in_icon)" -gt 10
read -r cx cy < <(icon_centre)
xdotool mousemove "$cx" "$cy" click 1
check "a left click opens the list" session_wait 5 list_shown
read -r lx ly lw lh < <(list_geometry)
check "the list sits above the icon in the bottom panel, inside the screen" \
  test "$lx" -ge 0 -a $((lx + lw)) -le 1440 -a $((ly + lh)) -le "$cy" -a "$ly" -ge 0
xdotool mousemove 200 200 click 1
check "a click elsewhere closes it" session_wait 5 list_hidden
xdotool mousemove "$cx" "$cy" click 1
session_wait 5 list_shown
xdotool mousemove "$cx" "$cy" click 1
check "a second click on the icon closes it" session_wait 5 list_hidden
sleep 0.5
check "and it stays closed" list_hidden
xdotool mousemove "$cx" "$cy" click 1
session_wait 5 list_shown
xdotool key Escape
check "Escape closes it" session_wait 5 list_hidden

# A right click takes a screenshot with the session's tool (maim here, which asks for a
# rectangle dragged over the screen: ImageMagick's import grabs the whole server while it
# waits, so xdotool could not drive it), and the service reads a to-do list from it. The
# announcements are watched on the bus and then looked up in dunst's history.
convert -background white -fill black -font DejaVu-Sans -pointsize 32 \
  label:"To do\n- Renew the car insurance\n- Book flights to Lisbon\n- Buy a present for Mia" \
  -bordercolor white -border 30 "$root/todo.png"
session_start display display -geometry +100+100 -title todo "$root/todo.png"
display_pid=${session_pids[-1]}
session_wait 10 xdotool search --onlyvisible --name '^todo$'
read -r tx ty tw th < <(session_geometry "$(xdotool search --onlyvisible --name '^todo$' | head -1)")
session_start monitor dbus-monitor --session "interface='org.freedesktop.Notifications',member='Notify'"
tool_running() { pgrep -P "$app_pid" -x maim; }
drag() { # x0 y0 x1 y1 from the bare desktop, until the tool has taken it (it may not hold the pointer yet)
  local _
  session_wait 10 tool_running
  for _ in 1 2 3 4 5; do
    sleep 1
    xdotool mousemove "$1" "$2" mousedown 1
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
    xdotool mousemove "$3" "$4" mouseup 1
    session_wait 3 sh -c "! pgrep -P $app_pid -x maim" && return 0
  done
  return 1
}
titles=("Renew the car insurance" "Book flights to Lisbon" "Buy a present for Mia")
listed() { local list t; list=$("$ctl" list) && for t in "${titles[@]}"; do grep -qF "$t" <<<"$list" || return 1; done; }
sent() { grep -caF "string \"$1\"" "$session_dir/monitor.log"; }
all_sent() { local t; for t in "${titles[@]}"; do [ "$(sent "New task: $t")" -ge 1 ] || return 1; done; }
xdotool mousemove "$cx" "$cy" mousedown 3
sleep 1
check "a right click starts the screenshot tool only once the button is up" sh -c "! pgrep -P $app_pid -x maim"
xdotool mouseup 3
check "and starts it on the release" session_wait 5 tool_running
check "a rectangle dragged around the to-do window is taken" drag $((tx - 20)) $((ty - 40)) $((tx + tw + 20)) $((ty + th + 20))
check "the screenshot becomes tasks on the service" session_wait 60 listed
check "each new task is announced" session_wait 20 all_sent
sleep 4 # another turn of the follow loop
once=0
for t in "${titles[@]}"; do [ "$(sent "New task: $t")" = 1 ] && once=$((once + 1)); done
check "and only once" test "$once" = 3
dunstctl close-all
shown=0
for t in "${titles[@]}"; do dunstctl history | grep -qF "\"data\" : \"New task: $t\"" && shown=$((shown + 1)); done
check "dunst showed them" test "$shown" = 3
kill "$display_pid" # the to-do window goes: the next screenshot holds nothing
session_wait 5 sh -c "! xdotool search --onlyvisible --name '^todo$'"
xdotool key ctrl+alt+super+t
check "the capture hot key starts the screenshot tool" session_wait 10 tool_running
check "and a rectangle of the empty desktop too" drag 900 100 1100 300
nothing_found() { [ "$(sent 'No tasks found in the screenshot.')" = 1 ]; }
check "an empty screenshot is announced as holding no task" session_wait 30 nothing_found
"$ctl" app capture
check "quiblyctl app capture starts the screenshot tool" session_wait 10 tool_running
check "and that rectangle is taken too" drag 900 100 1100 300
nothing_found_twice() { [ "$(sent 'No tasks found in the screenshot.')" = 2 ]; }
check "and announced" session_wait 30 nothing_found_twice

"$app"
check "a second launch exits at once with status 0" test $? -eq 0
check "and opens the first instance's list" session_wait 5 list_shown
"$ctl" app list
check "quiblyctl app list closes it again" session_wait 5 list_hidden
"$ctl" app settings
check "quiblyctl app settings shows the settings window" session_wait 10 settings_shown

kill "$session_trayer_pid" 2>/dev/null # trayer goes away …
session_wait 5 sh -c '! xdotool search --classname panel'
session_trayer 0xdddddd # … and comes back
check "the icon docks again in a restarted tray" session_wait 10 docked

kill -STOP "$app_pid"
"$app" >>"$root/second.stderr" 2>&1 &
second=$!
sleep 4
check "with the first instance hung, a new launch starts on its own" kill -0 "$second"
kill "$second" 2>/dev/null
wait "$second" 2>/dev/null
kill -CONT "$app_pid"
# Quitting while a request waits for an answer that does not come (the service is stopped;
# the kernel still accepts its connections): SIGTERM, as at logout, ends it at once and cleanly.
exited() { local state; state=$(ps -o stat= -p "$1") || return 0; [[ $state == Z* ]]; }
kill -STOP "$service_pid"
# The hung instance may still hold the new launch's call to open its list.
session_wait 3 list_shown || "$ctl" app list
check "the list opens while the service does not answer" session_wait 5 list_shown
sleep 1
kill -TERM "$app_pid"
check "SIGTERM ends the application while a request is pending" session_wait 5 exited "$app_pid"
wait "$app_pid"
check "with status 0" test $? = 0
app_pid=
kill -CONT "$service_pid"
check "no warnings on standard error (XEmbed)" test ! -s "$root/app.stderr"
[ -s "$root/app.stderr" ] && cat "$root/app.stderr"
session_stop

# --- StatusNotifierItem: a watcher and the test host -----------------------------------------
if command -v status-notifier-watcher >/dev/null; then
  : >"$root/app.stderr"
  session_x
  session_bus
  session_wm
  session_dunst
  session_sni "$snihost"
  start_app
  check "the item registers with the watcher" session_wait 10 sh -c "test -n \"\$('$snihost' items)\""
  check "its tooltip counts the urgent tasks" session_wait 10 \
    sh -c "'$snihost' get ToolTip | grep -qx 'Quibly — 3 urgent'"
  xdotool mousemove 700 300
  "$snihost" call Activate 700 300
  check "Activate opens the list" session_wait 5 list_shown
  "$snihost" call Activate 700 300
  check "Activate again closes it" session_wait 5 list_hidden
  check "a host that sends nothing on a right click gets the menu" \
    sh -c "'$snihost' get Menu | grep -v NO_DBUSMENU | grep -q '^/'"
  stop_app
  check "no warnings on standard error (SNI)" test ! -s "$root/app.stderr"
  [ -s "$root/app.stderr" ] && cat "$root/app.stderr"
  session_stop
fi

# --- Wayland: a headless compositor --------------------------------------------------------
if command -v weston >/dev/null && command -v status-notifier-watcher >/dev/null; then
  : >"$root/app.stderr"
  session_bus
  session_start weston weston --backend=headless-backend.so --socket=wayland-quibly --idle-time=0
  session_wait 10 test -S "$XDG_RUNTIME_DIR/wayland-quibly"
  session_sni "$snihost"
  # The headless compositor has no seat, and Qt 6.4's Wayland text input dereferences the missing one.
  WAYLAND_DISPLAY=wayland-quibly QT_QPA_PLATFORM=wayland QT_IM_MODULE=none start_app
  check "Wayland: the item registers with the watcher" session_wait 10 sh -c "test -n \"\$('$snihost' items)\""
  "$snihost" call Activate 0 0
  sleep 1
  check "Wayland: the application runs after opening its list" kill -0 "$app_pid"
  stop_app
  # No notification server in this session: the one line that says so is expected.
  sed -i '/^quibly: notifications unavailable, using the toast: /d' "$root/app.stderr"
  check "Wayland: no warnings on standard error" test ! -s "$root/app.stderr"
  [ -s "$root/app.stderr" ] && cat "$root/app.stderr"
  session_stop
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
