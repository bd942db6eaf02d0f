#!/usr/bin/env bash
# Starts or stops a virtual desktop: Xvfb, the openbox window manager, a tray host (trayer)
# and, on request, a compositor (xcompmgr, or picom with its xrender backend).
#
#   virtual-desktop.sh start STATE_DIR [--compositor [xcompmgr|picom]] [--no-tray] [--size WxH]
#                            [--dpi N]
#       --dpi N sets the desktop's font resolution (Xft.dpi), from which toolkits scale their
#       windows: 192 gives a display scaled by 2
#       prints the display name (":N") on standard output once everything is ready
#   virtual-desktop.sh stop STATE_DIR
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

start() {
  local compositor="" tray=1 size=1920x1080 dpi=
  while [ $# -gt 0 ]; do
    case $1 in
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
  unset DBUS_SESSION_BUS_ADDRESS

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

  setsid openbox >"$state/openbox.log" 2>&1 &
  echo $! >"$state/openbox.pid"
  wait_for 20 selection_owned "$display" WM_S0

  case $compositor in
    xcompmgr) setsid xcompmgr -n >"$state/compositor.log" 2>&1 & ;;
    # No configuration file: no shadows, fading or blur, only blending.
    picom) setsid picom --backend xrender --config /dev/null >"$state/compositor.log" 2>&1 & ;;
  esac
  if [ -n "$compositor" ]; then
    echo $! >"$state/compositor.pid"
    wait_for 20 selection_owned "$display" _NET_WM_CM_S0
  fi

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
  for f in trayer compositor openbox xvfb; do
    if [ -f "$state/$f.pid" ]; then
      kill "$(cat "$state/$f.pid")" 2>/dev/null || true
      rm -f "$state/$f.pid"
    fi
  done
}

case $cmd in
  start) shift 2; start "$@" ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
