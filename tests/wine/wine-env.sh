# wine-env.sh: sourced by the Wine tests. Each width runs under its own
# loader, named outright, never /usr/bin/wine's choice: that wrapper takes
# the 32-bit loader whenever wine32 is installed, and the 32-bit loader
# cannot start at all on a kernel without i386 support.
#   wine_env win64|win32 PREFIX   exports the loader and the prefix, and
#                                 makes the prefix once (shared safely
#                                 between tests through a lock file)
#   wine ARGS...                  runs ARGS under that loader
#   wineboot, winepath ARGS...    the Wine tools, under that loader
# win64 prefixes are 64-bit only (WINEARCH=win64); a win32 prefix is made
# by the 32-bit loader, as /usr/bin/wine would make it on such a machine.

wine_env() {
  case "$1" in
    win64) export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64 ;;
    win32) export WINELOADER=/usr/lib/wine/wine; unset WINEARCH ;;
    *) echo "wine_env: no width '$1'" >&2; return 1 ;;
  esac
  export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -x "$WINELOADER" ] || { echo "wine_env: no loader $WINELOADER" >&2; return 1; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  flock "$WINEPREFIX.lock" bash -c '[ -f "$WINEPREFIX/system.reg" ] ||
    { "$WINELOADER" wineboot --init && wineserver -w; } >/dev/null 2>&1'
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine_env: $WINELOADER could not make $WINEPREFIX" >&2; return 1; }
}

wine() { "$WINELOADER" "$@"; }
wineboot() { "$WINELOADER" wineboot "$@"; }
winepath() { "$WINELOADER" winepath "$@"; }
