#!/usr/bin/env bash
# Starts or stops a virtual desktop on Xvfb, of one of two kinds:
#   openbox  the openbox window manager, a tray host that embeds icons (trayer, XEmbed) unless
#            --no-tray, a compositor on request (xcompmgr, or picom with its xrender backend);
#            no message bus
#   xfce     a session message bus of its own, xfwm4 with its compositor and, unless --no-tray,
#            xfce4-panel with a configuration of its own: one panel along the top with a
#            notification area that hosts status notifier items over the bus (and embeds XEmbed
#            icons too)
#
#   virtual-desktop.sh start STATE_DIR [--desktop openbox|xfce] [--compositor [xcompmgr|picom]]
#                            [--no-tray] [--size WxH] [--dpi N]
#       --dpi N sets the desktop's font resolution (Xft.dpi), from which toolkits scale their
#       windows: 192 gives a display scaled by 2
#       prints the display name (":N") on standard output once everything is ready; with a
#       message bus, its address is in STATE_DIR/bus
#   virtual-desktop.sh stop STATE_DIR
#   virtual-desktop.sh compositor STATE_DIR xcompmgr|picom|none
#       starts a compositor on the running openbox desktop, or stops the one that runs, and
#       returns once the desktop has it, or no longer has it
#   virtual-desktop.sh end-server STATE_DIR
#       ends the X server alone, as a server that goes away under its clients; the rest of the
#       desktop is left to notice
set -euo pipefail

cmd=${1:?start or stop}
state=${2:?state directory}
mkdir -p "$state"

wait_for() { # seconds, command...
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

selection_owned() { # display, selection atom
  DISPLAY=$1 xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 || return 1
  python3 - "$1" "$2" <<'PY' 2>/dev/null
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(sys.argv[1].encode())
if not d: sys.exit(1)
a = x.XInternAtom(ctypes.c_void_p(d), sys.argv[2].encode(), 0)
sys.exit(0 if x.XGetSelectionOwner(ctypes.c_void_p(d), ctypes.c_ulong(a)) else 1)
PY
}

bus_name_owned() { # well-known name on the session bus
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}

# One panel along the top edge holding only the notification area. Written into a private
# configuration folder, which the panel's settings daemon (started by the bus) reads instead of
# the user's settings or the distribution's first-start defaults.
write_panel_config() { # folder
  mkdir -p "$1/xfce4/xfconf/xfce-perchannel-xml"
  cat >"$1/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
}

start_xfce() { # display, whether to start the panel
  local home="$state/home"
  mkdir -p "$home/config" "$home/cache" "$home/data" "$home/runtime"
  chmod 700 "$home/runtime"
  write_panel_config "$home/config"
  export XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data"
  export XDG_RUNTIME_DIR="$home/runtime"
  # No accessibility bus: it would be one more daemon to start and to end.
  export NO_AT_BRIDGE=1

  # The bus daemon leads a process group of its own, which the services it starts (the
  # settings daemon) join: stopping the group ends them all.
  eval "$(dbus-launch --sh-syntax)"
  echo "$DBUS_SESSION_BUS_PID" >"$state/bus.pid"
  echo "$DBUS_SESSION_BUS_ADDRESS" >"$state/bus"

  setsid xfwm4 --compositor=on >"$state/xfwm4.log" 2>&1 &
  echo $! >"$state/xfwm4.pid"
  wait_for 20 selection_owned "$1" WM_S0
  wait_for 20 selection_owned "$1" _NET_WM_CM_S0

  [ "$2" = 1 ] || return 0
  setsid xfce4-panel >"$state/panel.log" 2>&1 &
  echo $! >"$state/panel.pid"
  wait_for 30 selection_owned "$1" _NET_SYSTEM_TRAY_S0
  wait_for 30 bus_name_owned org.kde.StatusNotifierWatcher
}

start_compositor() { # display, xcompmgr or picom
  case $2 in
    xcompmgr) setsid xcompmgr -n >>"$state/compositor.log" 2>&1 & ;;
    # No configuration file: no shadows, fading or blur, only blending.
    picom) setsid picom --backend xrender --config /dev/null >>"$state/compositor.log" 2>&1 & ;;
    *) echo "unknown compositor $2" >&2; exit 2 ;;
  esac
  echo $! >"$state/compositor.pid"
  wait_for 20 selection_owned "$1" _NET_WM_CM_S0
}

# Switches the compositor of a running desktop: starts one, or stops the one that runs and
# waits until its selection is free, so that programs see a desktop without compositor.
compositor() { # xcompmgr, picom or none
  local display
  display=$(cat "$state/display")
  export DISPLAY=$display
  if [ -f "$state/compositor.pid" ]; then
    kill "$(cat "$state/compositor.pid")" 2>/dev/null || true
    rm -f "$state/compositor.pid"
    wait_for 20 eval '! selection_owned "$display" _NET_WM_CM_S0'
  fi
  [ "$1" = none ] || start_compositor "$display" "$1"
}

# The server alone goes, and with it its pid file, so that stop never signals a number that
# the system may have handed on. A server ended by a signal removes its socket and lock file
# itself, which frees the display's number.
end_server() {
  local pid
  [ -f "$state/xvfb.pid" ] || return 0
  pid=$(cat "$state/xvfb.pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait_for 10 eval '! kill -0 "$pid"'
  rm -f "$state/xvfb.pid"
}

start() {
  local desktop=openbox compositor="" tray=1 size=1920x1080 dpi=
  while [ $# -gt 0 ]; do
    case $1 in
      --desktop)
        desktop=${2:?openbox or xfce}; shift
        case $desktop in openbox|xfce) ;; *) echo "unknown desktop $desktop" >&2; exit 2 ;; esac ;;
      --compositor)
        compositor=xcompmgr
        case ${2:-} in xcompmgr|picom) compositor=$2; shift ;; esac ;;
      --no-tray) tray=0 ;;
      --size) size=$2; shift ;;
      --dpi) dpi=$2; shift ;;
      *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
  done

  local n
  for n in $(seq 90 190); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  local display=":$n"
  echo "$display" >"$state/display"
  export DISPLAY=$display
  # No message bus unless the desktop starts one, not even one the bus library would start
  # through the X display (dbus-launch's autolaunch).
  export DBUS_SESSION_BUS_ADDRESS=disabled:

  # -noreset: by default the server resets when its last client leaves, and a readiness
  # probe that connects and leaves would pull the display from under the next program.
  setsid Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp -noreset >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  wait_for 20 test -e "/tmp/.X11-unix/X$n"
  wait_for 20 xdpyinfo

  # Before any client starts: programs read the resources once, when they connect.
  if [ -n "$dpi" ]; then
    echo "Xft.dpi: $dpi" | xrdb -merge
  fi

  if [ "$desktop" = xfce ]; then
    start_xfce "$display" "$tray"
    echo "$display"
    return
  fi

  setsid openbox >"$state/openbox.log" 2>&1 &
  echo $! >"$state/openbox.pid"
  wait_for 20 selection_owned "$display" WM_S0

  [ -z "$compositor" ] || start_compositor "$display" "$compositor"

  if [ "$tray" = 1 ]; then
    setsid trayer --edge top --align left --widthtype pixel --width 200 --height 32 \
      --transparent false >"$state/trayer.log" 2>&1 &
    echo $! >"$state/trayer.pid"
    wait_for 20 selection_owned "$display" _NET_SYSTEM_TRAY_S0
  fi
  echo "$display"
}

stop() {
  local f
  # Each was started as the leader of a process group: the panel's plug-ins and the bus's
  # services end with it.
  for f in panel xfwm4 trayer compositor openbox bus xvfb; do
    if [ -f "$state/$f.pid" ]; then
      kill -- "-$(cat "$state/$f.pid")" 2>/dev/null || kill "$(cat "$state/$f.pid")" 2>/dev/null || true
      rm -f "$state/$f.pid"
    fi
  done
}

case $cmd in
  start) shift 2; start "$@" ;;
  stop) stop ;;
  compositor) compositor "${3:?xcompmgr, picom or none}" ;;
  end-server) end_server ;;
  *) echo "usage: $0 start|stop|compositor|end-server STATE_DIR" >&2; exit 2 ;;
esac
