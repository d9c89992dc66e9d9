#!/usr/bin/env bash
# Runs this build's Windows programs under Wine, in a prefix that belongs to the build tree.
#   wine.sh TREE up        make the prefix once, start Xvfb and a persistent wineserver
#   wine.sh TREE down      stop the wineserver and Xvfb
#   wine.sh TREE run ...   run a Windows program (wine's arguments)
#   wine.sh TREE as FAMILY NAME.exe
#                          have programs of that file name run as the Windows version FAMILY
#   wine.sh TREE shell ... run a command with the Wine environment set
set -euo pipefail

tree=$(mkdir -p "$1" && cd "$1" && pwd)
command=$2
shift 2

export WINEPREFIX="$tree/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$tree/display" ] && DISPLAY=$(cat "$tree/display") && export DISPLAY

# Wine's background processes keep whatever descriptors they inherit; started with these
# closed, they never hold a test's output pipe open.
detached() {
  setsid "$@" </dev/null >>"$tree/background.log" 2>&1
}

start_xvfb() {
  if [ -f "$tree/xvfb.pid" ] && kill -0 "$(cat "$tree/xvfb.pid")" 2>/dev/null; then
    return
  fi
  rm -f "$tree/display"
  exec 3>"$tree/display.number"
  setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
    </dev/null >>"$tree/background.log" 2>&1 &
  echo $! >"$tree/xvfb.pid"
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$tree/display.number" ] && break
    sleep 0.1
  done
  [ -s "$tree/display.number" ] || { echo "wine.sh: Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(tr -d '\n' <"$tree/display.number")"
  echo "$DISPLAY" >"$tree/display"
  export DISPLAY
}

case $command in
  up)
    start_xvfb
    mkdir -p "$WINEPREFIX"
    # A server left up by an earlier run serves as well.
    detached wineserver -p || true
    detached wineboot -i
    ;;
  down)
    wineserver -k 2>/dev/null || true
    if [ -f "$tree/xvfb.pid" ]; then
      kill "$(cat "$tree/xvfb.pid")" 2>/dev/null || true
      rm -f "$tree/xvfb.pid" "$tree/display" "$tree/display.number"
    fi
    ;;
  run) exec wine "$@" ;;
  as)
    # Wine picks the version by the program's file name; default is Wine's own.
    [ "$1" = default ] ||
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$2" /v Version /d "$1" /f >/dev/null 2>&1
    ;;
  shell) exec "$@" ;;
  *) echo "wine.sh: unknown command $command" >&2; exit 2 ;;
esac
