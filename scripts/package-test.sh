#!/usr/bin/env bash
# Builds the Debian package and tries it on this machine as root: the
# install layout, lintian without errors, `apt install ./lumetra-import_*.deb`,
# the registered driver and system DSN, an administrator's edit to the DSN
# kept through a reinstall and an upgrade (to the same package with a
# higher version), one import with the installed program through the
# system DSN, a removal that unregisters the driver and keeps the DSN,
# then the purge, after which the machine must be as it was: the ODBC
# files unchanged, the package's files gone, the same packages installed.
#   package-test.sh [build-folder=build-deb]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
[ "$(id -u)" -eq 0 ] || { echo "package-test.sh installs a package: run it as root" >&2; exit 1; }
work=$(mktemp -d /tmp/lumetra-package-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DLUMETRA_TESTS=OFF -DLUMETRA_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"

# The layout of `cmake --install` into a folder of its own.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
cmake --install "$build" --prefix "$work/stage" >/dev/null
for f in bin/lumetra-import "lib/$multiarch/odbc/liblumetraodbc.so" share/man/man1/lumetra-import.1.gz \
  share/applications/lumetra-import.desktop share/mime/packages/lumetra-import.xml \
  share/icons/hicolor/scalable/apps/lumetra-import.svg share/doc/lumetra-import/copyright; do
  [ -f "$work/stage/$f" ] || fail "cmake --install laid out no $f"
done

(cd "$build" && rm -f lumetra-import_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lumetra-import_*.deb)
lintian --fail-on error "$deb" || fail "lintian reports errors"

state() {
  sha256sum /etc/odbc.ini /etc/odbcinst.ini 2>/dev/null || true
  dpkg-query -W -f='${Package} ${Status}\n' | grep ' installed$' | sort
}
before=$(state)
dpkg-query -W lumetra-import >/dev/null 2>&1 && fail "lumetra-import is installed already"

(cd "$build" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")" >/dev/null)
odbcinst -q -d -n Lumetra | grep -qx "Driver=/usr/lib/$multiarch/odbc/liblumetraodbc.so" \
  || fail "driver not registered: $(odbcinst -q -d -n Lumetra)"
odbcinst -q -s -l -n "Lumetra Data Source" | grep -qx 'CommitInterval=100' \
  || fail "system DSN missing: $(odbcinst -q -s -l -n 'Lumetra Data Source')"
man -w lumetra-import >/dev/null || fail "no man page"

# The administrator's edit survives a reinstall and an upgrade, and the
# driver stays registered once.
sed -i '/^\[Lumetra Data Source\]/a Charset = CP850' /etc/odbc.ini
dpkg-deb -R "$deb" "$work/next"
sed -i 's/^Version: .*/&+next/' "$work/next/DEBIAN/control"
dpkg-deb -b "$work/next" "$work/next.deb" >/dev/null
for step in "--reinstall $(realpath "$deb")" "$work/next.deb"; do
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $step >/dev/null 2>&1 || fail "apt-get install $step"
  odbcinst -q -s -l -n "Lumetra Data Source" | grep -qx 'Charset=CP850' \
    || fail "the DSN edit is lost after apt-get install $step: $(odbcinst -q -s -l -n 'Lumetra Data Source')"
  odbcinst -q -d -n Lumetra | grep -qx 'UsageCount=1' || fail "driver after $step: $(odbcinst -q -d -n Lumetra)"
done
dpkg-query -W -f='${Version}' lumetra-import | grep -q '+next$' || fail "the upgrade did not take"

# One import with the installed program through the system DSN: no user
# DSN, the database in the user's XDG_DATA_HOME.
mkdir "$work/home"
: > "$work/home/odbc.ini"
printf 'Name,Age@N\r\nann,41\r\nbob,7\r\n' > "$work/people.cdf"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u ODBCSYSINI HOME="$work/home" \
  ODBCINI="$work/home/odbc.ini" XDG_DATA_HOME="$work/xdg" /usr/bin/lumetra-import "$work/people.cdf" 2>&1) \
  || fail "import with the installed program: status $?: $out"
[ "$(sqlite3 "$work/xdg/lumetra/lumetra.db" 'SELECT * FROM people')" = $'ann|41\nbob|7' ] \
  || fail "rows through the system DSN: $(sqlite3 "$work/xdg/lumetra/lumetra.db" 'SELECT * FROM people' 2>&1)"

# The removal unregisters the driver and keeps the DSN; the purge removes it.
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq lumetra-import >/dev/null
odbcinst -q -d -n Lumetra >/dev/null 2>&1 && fail "driver still registered after the removal"
odbcinst -q -s -l -n "Lumetra Data Source" | grep -qx 'Charset=CP850' || fail "the removal took the DSN"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lumetra-import >/dev/null
for f in $(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }'); do
  [ ! -e "$f" ] || fail "$f left after the removal"
done
[ "$(state)" = "$before" ] || fail "the machine differs after the removal: $(diff <(echo "$before") <(state))"
echo "package: $(basename "$deb") built, lintian clean, installed, DSN edit kept through a reinstall and an upgrade, imported through the system DSN, removed (DSN kept), purged"
