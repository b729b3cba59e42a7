# Sourced by the test and run scripts: a Wine prefix inside the build folder, a display, and for
# the tests a persistent wine server, all torn down again by verdan_wine_stop.
#   verdan_wine_start BUILD_DIR tests|run
#
# The tests and the editor never share a prefix: the tests use BUILD_DIR/wineprefix-tests and
# may end its server; the editor uses BUILD_DIR/wineprefix, joins a server already running
# there (another editor of the same prefix) and never ends it, so that a test run or a second
# start never takes an open editor and its edits down. Nothing here touches other prefixes.

# The settings the harness depends on are in the prefix's registry file.
verdan_wine_prefix_has_settings() {
  grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null &&
    grep -q '"Courier New"="Liberation Mono"' "$WINEPREFIX/user.reg" 2>/dev/null
}

verdan_wine_prefix_setup() {
  # A prefix counts as ready only while its registry still holds the settings: a server ended
  # by force can leave the file without them, and then the prefix is made again.
  [ -f "$WINEPREFIX/.verdan-ready" ] && verdan_wine_prefix_has_settings && return
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  local reg=(
    "HKCU\\Software\\Wine\\X11 Driver|Managed|N"
    "HKCU\\Software\\Wine\\X11 Driver|Decorated|Y"
    "HKCU\\Software\\Wine\\Fonts\\Replacements|Courier New|Liberation Mono"
    "HKCU\\Software\\Wine\\WineDbg|ShowCrashDialog|0"
  )
  # A "reg add" can fail without a word while the prefix is still settling; without these
  # settings every window close costs seconds, so they are written until the file holds them.
  local r key name val attempt
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    for r in "${reg[@]}"; do
      IFS='|' read -r key name val <<<"$r"
      wine reg add "$key" /v "$name" /t REG_SZ /d "$val" /f >/dev/null 2>&1
    done
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    verdan_wine_prefix_has_settings && break
    sleep 1
  done
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -w
  # Without its settings the prefix is not marked ready, so the next start makes it again.
  if verdan_wine_prefix_has_settings; then
    touch "$WINEPREFIX/.verdan-ready"
  else
    echo "warning: the Wine prefix $WINEPREFIX did not take its registry settings" >&2
  fi
}

verdan_wine_start() {
  local build_dir="$1" mode="${2:-tests}"
  VERDAN_WINE_MODE="$mode"
  if [ "$mode" = run ]; then
    export WINEPREFIX="$build_dir/wineprefix"
  else
    export WINEPREFIX="$build_dir/wineprefix-tests"
  fi
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LC_ALL=C.UTF-8
  export WINEARCH=win32
  VERDAN_XVFB_PID=""

  if [ "$mode" = run ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    :
  else
    local fdfile
    fdfile=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    VERDAN_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fdfile" ] && break
      sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
  fi

  verdan_wine_prefix_setup
  [ "$mode" = run ] && return 0

  # The tests' own server: one left over from an earlier run of this build folder's tests
  # (whose display is gone) is ended, then a persistent one is started with its output
  # detached, so that wine processes whose output is captured never hand it on to the server.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # Wine's own background processes (services, device manager) start with the first program
  # and would keep the output of whatever started them open; start them here, detached.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

verdan_wine_stop() {
  # The editor's server ends by itself once its last program has closed.
  if [ "${VERDAN_WINE_MODE:-tests}" != run ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${VERDAN_XVFB_PID:-}" ]; then
    kill "$VERDAN_XVFB_PID" >/dev/null 2>&1 || true
    wait "$VERDAN_XVFB_PID" 2>/dev/null || true
    VERDAN_XVFB_PID=""
  fi
}
