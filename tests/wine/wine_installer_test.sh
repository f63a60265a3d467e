#!/usr/bin/env bash
# The installer in a fresh Wine prefix: a silent install without /TARGET
# is refused and leaves nothing; /S /TARGET=... installs the files, the
# driver "Lumetra" and the DSN "Lumetra Data Source" in the 32-bit ODBC
# view and the Start-menu entry; the uninstaller removes all of them.
#   wine_installer_test.sh <lumetra-setup.exe> <win32|win64>
set -euo pipefail
setup=$(realpath "$1")
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
. "$(dirname "$0")/wine-env.sh"
wine_env "$2" "$work/prefix"

# A 32-bit installer's HKLM\SOFTWARE is the 32-bit view of a 64-bit prefix.
view='HKLM\Software\Wow6432Node'
[ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || view='HKLM\Software'
value() { wine reg query "$view\\ODBC\\$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
key_exists() { wine reg query "$view\\ODBC\\$1" >/dev/null 2>&1; }
folder=$(wine cmd /c 'echo %ProgramFiles(x86)%' 2>/dev/null | tr -d '\r')
[ "$view" = 'HKLM\Software' ] && folder=$(wine cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')
dir=$(winepath -u "$folder\\Lumetra")

rc=0
wine "$setup" /S >/dev/null 2>&1 || rc=$?
wineserver -w
[ "$rc" -eq 2 ] || fail "a silent install without /TARGET gave exit code $rc, not 2"
key_exists 'ODBCINST.INI\Lumetra' && fail "the refused install registered the driver"
[ -e "$dir" ] && fail "the refused install left $dir"

target='DSN=Sales;UID=ann'
wine "$setup" /S "/TARGET=$target" >/dev/null 2>&1 || fail "install exit code $?"
wineserver -w
for f in lumetra-import.exe lumetraodbc.dll uninstall.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $dir/$f"
done
dll="$folder\\Lumetra\\lumetraodbc.dll"
checks=(
  "ODBCINST.INI\\Lumetra|Driver|$dll"
  "ODBCINST.INI\\Lumetra|Setup|$dll"
  "ODBCINST.INI\\ODBC Drivers|Lumetra|Installed"
  "ODBC.INI\\Lumetra Data Source|Driver|$dll"
  "ODBC.INI\\Lumetra Data Source|Backend|ODBC"
  "ODBC.INI\\Lumetra Data Source|Target|$target"
  "ODBC.INI\\ODBC Data Sources|Lumetra Data Source|Lumetra"
)
for c in "${checks[@]}"; do
  IFS='|' read -r key name want <<<"$c"
  got=$(value "$key" "$name")
  [ "$got" = "$want" ] || fail "$key $name: '$got', expected '$want'"
done
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Lumetra/*.lnk' | wc -l)
[ "$menu" -eq 2 ] || fail "Start-menu entries: $menu, expected 2"

wine "$dir/uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall exit code $?"
wineserver -w
for c in "${checks[@]}"; do
  IFS='|' read -r key name _ <<<"$c"
  [ -z "$(value "$key" "$name")" ] || fail "left after uninstall: $key $name"
done
key_exists 'ODBCINST.INI\Lumetra' && fail "left after uninstall: the driver's key"
key_exists 'ODBC.INI\Lumetra Data Source' && fail "left after uninstall: the DSN's key"
[ -e "$dir" ] && fail "left after uninstall: $dir"
[ -n "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Lumetra*')" ] && fail "left after uninstall: the Start-menu entry"
echo "installer: refused without a target, registered driver and DSN (Target=$target), uninstalled cleanly"
