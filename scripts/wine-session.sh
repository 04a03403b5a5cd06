#!/usr/bin/env bash
# wine-session.sh start|stop BUILD_DIR: the Xvfb display and persistent wineserver that a test run
# of the Windows build uses. ctest runs "start" before the first Windows test and "stop" after
# the last one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1
build_dir=$(cd "$2" && pwd)
state="$build_dir/xvfb"

# Runs a command that outlives this script with no link to any file this script inherited (a
# test runner's output pipe above all): standard handles from /dev/null, every other one closed.
detached() {
  (
    for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}
      if [ "$fd" -gt 2 ] 2>/dev/null; then eval "exec $fd>&-" 2>/dev/null || true; fi
    done
    exec "$@"
  ) </dev/null >/dev/null 2>&1
}

stop() {
  (source "$here/wine-vars.sh" "$build_dir"; wineserver -k 2>/dev/null || true)
  if [ -s "$state/pid" ]; then
    kill "$(cat "$state/pid")" 2>/dev/null || true
  fi
  rm -rf "$state"
}

case "$action" in
  start)
    stop
    "$here/wine-prefix.sh" "$build_dir"
    mkdir -p "$state"
    # -displayfd lets Xvfb pick a free display number and tell us which.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -nolisten unix-abstract \
      3>"$state/display.num" >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! > "$state/pid"
    for _ in $(seq 100); do
      [ -s "$state/display.num" ] && break
      sleep 0.1
    done
    if [ ! -s "$state/display.num" ]; then
      echo "Xvfb did not start:" >&2; cat "$state/xvfb.log" >&2; stop; exit 1
    fi
    echo ":$(tr -d '[:space:]' < "$state/display.num")" > "$state/display"
    source "$here/wine-vars.sh" "$build_dir"
    # Persistent for the run: no wineserver start-up per test program. Wine's own background
    # processes (services, the desktop) start here with no link to ctest's output pipes, which
    # they would otherwise hold open past every test.
    detached wineserver -p
    detached wine wineboot || true
    echo "Wine session on display $DISPLAY, prefix $WINEPREFIX"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: wine-session.sh start|stop BUILD_DIR" >&2; exit 2 ;;
esac
