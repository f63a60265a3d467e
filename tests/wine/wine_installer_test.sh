#!/usr/bin/env bash
# An installer in a fresh Wine prefix of its width, silent:
#  1. /S /TARGET=... registers driver and DSN with Backend = ODBC and that
#     Target; the uninstaller takes them away.
#  2. /S alone registers the driver "Lumetra" (Driver, Setup) and the
#     system DSN "Lumetra Data Source" with the embedded SQLite backend,
#     in every registry view the installer serves (a 64-bit installer:
#     the 64-bit view with the 64-bit DLL, WOW6432Node with the 32-bit
#     DLL). With nothing else set up, a client of the installer's width
#     loads the installed DLL as the registry names it, connects with
#     "DSN=Lumetra Data Source" and stores and reads back values exactly,
#     in %LOCALAPPDATA%\Lumetra\lumetra.db; ConfigDSN without a window
#     adds, changes and removes a user and a system DSN; the installed
#     program imports a CDF file under Xvfb (wine_import_test.sh).
#  3. The uninstaller removes files, Start-menu entries and registrations
#     in every view and keeps the user's database.
# With a 32-bit client as well (64-bit installer only, and only where i386
# programs run), only the 32-bit side of step 2: that client finds the
# 32-bit DLL through WOW6432Node and stores into the same user database.
#   wine_installer_test.sh <setup.exe> <win64|win32> <client-test.exe> <liblumetraodbc.so> <work-folder> <output-folder> [<32-bit client-test.exe>]
set -euo pipefail
setup=$(realpath "$1")
width=$2
client=$(realpath "$3")
driver_so=$(realpath "$4")
mkdir -p "$5"
work=$(mktemp -d "$(realpath "$5")/installer-$width.XXXXXX")
output=$6
client32=${7:+$(realpath "$7")}
here=$(cd "$(dirname "$0")" && pwd)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
. "$here/wine-env.sh"
wine_env "$width" "$work/prefix"

# The registry views and the DLL each one names: a 64-bit installer
# serves both views of a 64-bit prefix; a 32-bit one the 32-bit view,
# which is WOW6432Node in a 64-bit prefix.
folder=$(wine cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')
if [ "$width" = win64 ]; then
  views=('HKLM\Software|lumetraodbc.dll' 'HKLM\Software\Wow6432Node|x86\lumetraodbc.dll')
elif [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  folder=$(wine cmd /c 'echo %ProgramFiles(x86)%' 2>/dev/null | tr -d '\r')
  views=('HKLM\Software\Wow6432Node|lumetraodbc.dll')
else
  views=('HKLM\Software|lumetraodbc.dll')
fi
dir=$(winepath -u "$folder\\Lumetra")
query() { { wine reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# Key|value|expected, for one view; "" expects no value.
registrations() {
  local view=$1 dll="$folder\\Lumetra\\$2" backend=$3 target=$4
  printf '%s\n' "$view\\ODBC\\ODBCINST.INI\\Lumetra|Driver|$dll" "$view\\ODBC\\ODBCINST.INI\\Lumetra|Setup|$dll" \
    "$view\\ODBC\\ODBCINST.INI\\ODBC Drivers|Lumetra|Installed" \
    "$view\\ODBC\\ODBC.INI\\Lumetra Data Source|Driver|$dll" \
    "$view\\ODBC\\ODBC.INI\\Lumetra Data Source|Backend|$backend" \
    "$view\\ODBC\\ODBC.INI\\Lumetra Data Source|Target|$target" \
    "$view\\ODBC\\ODBC.INI\\Lumetra Data Source|CommitInterval|100" \
    "$view\\ODBC\\ODBC.INI\\ODBC Data Sources|Lumetra Data Source|Lumetra"
}
check_registered() {
  local v view dll key name want got
  for v in "${views[@]}"; do
    IFS='|' read -r view dll <<<"$v"
    while IFS='|' read -r key name want; do
      got=$(query "$key" "$name")
      [ "$got" = "$want" ] || fail "$key $name: '$got', expected '$want'"
    done < <(registrations "$view" "$dll" "$1" "$2")
  done
}
uninstall() {
  wine "$dir/uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall exit code $?"
  wineserver -w
  local v view dll
  for v in "${views[@]}"; do
    IFS='|' read -r view dll <<<"$v"
    for key in 'ODBCINST.INI\Lumetra' 'ODBC.INI\Lumetra Data Source'; do
      key_exists "$view\\ODBC\\$key" && fail "left after uninstall: $view\\ODBC\\$key"
    done
    [ -z "$(query "$view\\ODBC\\ODBC.INI\\ODBC Data Sources" 'Lumetra Data Source')" ] || fail "left after uninstall: $view DSN list entry"
    [ -z "$(query "$view\\ODBC\\ODBCINST.INI\\ODBC Drivers" Lumetra)" ] || fail "left after uninstall: $view driver list entry"
  done
  [ -e "$dir" ] && fail "left after uninstall: $dir"
  [ -n "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Lumetra*')" ] && fail "left after uninstall: the Start-menu entry"
  return 0
}

# 1. A target data source: Backend = ODBC.
target='DSN=Sales;UID=ann'
wine "$setup" /S "/TARGET=$target" >/dev/null 2>&1 || fail "install with /TARGET: exit code $?"
wineserver -w
check_registered ODBC "$target"
# the driver takes the DSN's Backend and Target: it asks for Sales
rc=0
wine "$client" connect "Lumetra Data Source" people >"$work/target.log" 2>&1 || rc=$?
grep -q 'IM002 \[Lumetra\] Target "DSN=Sales;UID=ann"' "$work/target.log" || { cat "$work/target.log"; fail "the client did not reach for the target (exit code $rc)"; }
uninstall

# 2. The embedded default.
wine "$setup" /S >/dev/null 2>&1 || fail "silent install: exit code $?"
wineserver -w
for f in lumetra-import.exe lumetraodbc.dll uninstall.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $dir/$f"
done
[ "$width" = win64 ] && { [ -f "$dir/x86/lumetraodbc.dll" ] || fail "not installed: the 32-bit driver"; }
check_registered SQLite ""
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Lumetra/*.lnk' | wc -l)
[ "$menu" -eq 2 ] || fail "Start-menu entries: $menu, expected 2"

# A client, nothing else set up: the DLL it loads, the database it
# reaches, the rows it stored there.
appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
database=$(winepath -u "$appdata\\Lumetra\\lumetra.db")
client_stores() {
  local exe=$1 dll=$2 table=$3 rows expected
  wine "$exe" connect "Lumetra Data Source" "$table" >"$work/client.log" 2>&1 || { cat "$work/client.log"; fail "client $exe"; }
  tr -d '\r' <"$work/client.log"
  grep -qxF "driver: $folder\\Lumetra\\$dll" <(tr -d '\r' <"$work/client.log") || fail "$exe did not load $dll"
  grep -qxF "database: $appdata\\Lumetra\\lumetra.db" <(tr -d '\r' <"$work/client.log") ||
    fail "the client's database is not $appdata\\Lumetra\\lumetra.db"
  rows=$(sqlite3 "$database" "SELECT Name, Amt, Mr, Born FROM $table ORDER BY rowid" 2>&1)
  expected=$(printf '%s\n' "0123|2147483647|32767|1999-12-31 00:00:00" \
    $'Zo\xc3\xab \xe2\x9c\x93 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80|-2147483648|-32768|2000-02-29 23:59:58' \
    "|0|0|1900-01-01 00:00:00")
  [ "$rows" = "$expected" ] || fail "stored rows: $rows"
  [ "$(sqlite3 "$database" 'PRAGMA journal_mode')" = wal ] || fail "the database is not in WAL mode"
}
if [ -n "$client32" ]; then
  client_stores "$client32" 'x86\lumetraodbc.dll' people32
  uninstall
  [ "$(sqlite3 "$database" 'SELECT count(*) FROM people32' 2>&1)" = 3 ] || fail "the user's database did not survive the uninstall"
  echo "installer $width: a 32-bit client stored and read back exactly through WOW6432Node; database kept"
  exit 0
fi
client_stores "$client" lumetraodbc.dll people

# ConfigDSN without a window: requests by their ODBC numbers.
config() { wine "$client" config "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
user_key='HKCU\Software\ODBC\ODBC.INI'
system_key=${views[0]%%|*}'\ODBC\ODBC.INI'
own_db=$(winepath -w "$work/own.db")
config 1 Lumetra "DSN=Lumetra Setup Test" "Database=$own_db" CommitInterval=50 Charset=CP850 || fail "ConfigDSN ODBC_ADD_DSN"
[ "$(query "$user_key\\Lumetra Setup Test" Database)" = "$own_db" ] || fail "ODBC_ADD_DSN wrote no Database"
[ "$(query "$user_key\\Lumetra Setup Test" Driver)" = "$folder\\Lumetra\\lumetraodbc.dll" ] || fail "ODBC_ADD_DSN wrote no Driver"
[ "$(query "$user_key\\ODBC Data Sources" 'Lumetra Setup Test')" = Lumetra ] || fail "ODBC_ADD_DSN did not list the DSN"
config 2 Lumetra "DSN=Lumetra Setup Test" Charset= || fail "ConfigDSN ODBC_CONFIG_DSN"
[ -z "$(query "$user_key\\Lumetra Setup Test" Charset)" ] || fail "ODBC_CONFIG_DSN with an empty Charset kept it"
[ "$(query "$user_key\\Lumetra Setup Test" CommitInterval)" = 50 ] || fail "ODBC_CONFIG_DSN lost CommitInterval"
wine "$client" connect "Lumetra Setup Test" own >"$work/own.log" 2>&1 || { cat "$work/own.log"; fail "client on the added DSN"; }
[ "$(sqlite3 "$work/own.db" 'SELECT count(*) FROM own')" = 3 ] || fail "the added DSN did not store into its Database"
config 3 Lumetra "DSN=Lumetra Setup Test" || fail "ConfigDSN ODBC_REMOVE_DSN"
key_exists "$user_key\\Lumetra Setup Test" && fail "ODBC_REMOVE_DSN left the DSN"
[ -z "$(query "$user_key\\ODBC Data Sources" 'Lumetra Setup Test')" ] || fail "ODBC_REMOVE_DSN left the list entry"
system_db=$(winepath -w "$work/system.db")
config 4 Lumetra "DSN=Lumetra System Test" Backend=ODBC "Target=DSN=Sales" "Database=$system_db" ||
  fail "ConfigDSN ODBC_ADD_SYS_DSN"
[ "$(query "$system_key\\Lumetra System Test" Target)" = 'DSN=Sales' ] || fail "ODBC_ADD_SYS_DSN wrote no Target into $system_key"
config 5 Lumetra "DSN=Lumetra System Test" Backend=SQLite Target= || fail "ConfigDSN ODBC_CONFIG_SYS_DSN"
[ "$(query "$system_key\\Lumetra System Test" Backend)" = SQLite ] || fail "ODBC_CONFIG_SYS_DSN did not change Backend"
# the driver reads the changed system DSN: SQLite, its Database
wine "$client" connect "Lumetra System Test" sys >"$work/sys.log" 2>&1 || { cat "$work/sys.log"; fail "client on the system DSN"; }
[ "$(sqlite3 "$work/system.db" 'SELECT count(*) FROM sys')" = 3 ] || fail "the system DSN did not store into its Database"
config 6 Lumetra "DSN=Lumetra System Test" || fail "ConfigDSN ODBC_REMOVE_SYS_DSN"
key_exists "$system_key\\Lumetra System Test" && fail "ODBC_REMOVE_SYS_DSN left the DSN"
refusals=('3|DSN=No Such DSN' '2|DSN=No Such DSN' '1|DSN=Bad;Name' '7|DSN=x' '1|DSN=x|Backend')
for r in "${refusals[@]}"; do
  IFS='|' read -r -a args <<<"$r"
  rc=0
  config "${args[0]}" Lumetra "${args[@]:1}" >/dev/null || rc=$?
  [ "$rc" -eq 3 ] || fail "ConfigDSN request ${args[*]}: exit code $rc, expected a refusal (3)"
done
echo "ConfigDSN: added, changed and removed a user and a system DSN; refused ${#refusals[@]} bad requests"

# ConfigDSN with a window, as the ODBC administrator's Add calls it: the
# dialog shows the name given; the backend SQLite, filled in, is written
# when the user presses Enter (OK).
wineserver -w
. "$here/../support/xvfb.sh"
start_xvfb
wine "$client" config-window 1 Lumetra "DSN=Lumetra Dialog Test" "Database=$own_db" >"$work/dialog.log" 2>&1 &
app=$!
dialog=$(wait_window '^Add Lumetra Data Source$') || { stop_xvfb; fail "no setup dialog"; }
import -window root "$output/wine-$width-setup-dialog.png" 2>/dev/null || true
xdotool windowfocus --sync "$dialog" key Return
wait "$app" || { cat "$work/dialog.log"; stop_xvfb; fail "ConfigDSN with a window: exit code $?"; }
stop_xvfb
wineserver -k
for c in "Backend|SQLite" "Database|$own_db" "Driver|$folder\\Lumetra\\lumetraodbc.dll"; do
  IFS='|' read -r name want <<<"$c"
  got=$(query "$user_key\\Lumetra Dialog Test" "$name")
  [ "$got" = "$want" ] || fail "the dialog's DSN: $name '$got', expected '$want'"
done
config 3 Lumetra "DSN=Lumetra Dialog Test" || fail "removing the dialog's DSN"
echo "ConfigDSN with a window: the dialog appeared and OK wrote the DSN"

# The installed program under Xvfb. Wine's odbc32 hands its ODBC calls
# to the host's unixODBC, so the import goes through a host DSN on our
# Linux driver of the same width. Its windows need a Wine desktop that
# starts afresh under Xvfb: the one of the calls above ends first.
wineserver -w
bash "$here/wine_import_test.sh" "$dir/lumetra-import.exe" "$driver_so" "$WINEPREFIX" "$output" "$width" "$width-installed" ||
  fail "the installed program's import"

# 3. Uninstall: everything goes but the user's database.
uninstall
[ "$(sqlite3 "$database" 'SELECT count(*) FROM people' 2>&1)" = 3 ] || fail "the user's database did not survive the uninstall"
echo "installer $width: Backend=ODBC with /TARGET; embedded SQLite by default in ${#views[@]} view(s); client stored and read back exactly; uninstalled cleanly, database kept"
