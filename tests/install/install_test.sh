#!/usr/bin/env bash
# `cmake --install` of the build into a folder of its own: every file in
# its place; the man page renders without warnings and covers the command
# line, the exit status and every DSN key; the desktop entry passes the
# file and names the MIME type that the MIME package defines; with that
# package a text CDF named *.cdf is text/x-hp-cdf while NetCDF files of
# the same name stay application/x-netcdf.
#   install_test.sh <build-folder>
. "$(dirname "$0")/../support/testlib.sh"
build=$1
make_work
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
driver=$(find "$prefix/lib" -name liblumetraodbc.so)
multiarch=$(gcc -print-multiarch)
[ "$driver" = "$prefix/lib/${multiarch:+$multiarch/}odbc/liblumetraodbc.so" ] || fail "driver at ${driver:-nowhere}"
for f in bin/lumetra-import share/man/man1/lumetra-import.1.gz share/applications/lumetra-import.desktop \
  share/mime/packages/lumetra-import.xml share/icons/hicolor/scalable/apps/lumetra-import.svg; do
  [ -s "$prefix/$f" ] || fail "no $f"
done
"$prefix/bin/lumetra-import" --version | grep -q '^lumetra-import ' || fail "installed program does not run"
[ -s "$prefix/lib/${multiarch:+$multiarch/}lumetra-import/lumetra-window.so" ] || fail "no window module"
# asked on a terminal without a display, the installed program finds its
# window module (it says when it does not) and falls back to the prompt
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/lumetra-import" </dev/null >/dev/null 2>"$work/alone" || true
! grep -q "no window" "$work/alone" || fail "installed program: $(cat "$work/alone")"

page=$(MANWIDTH=200 man --warnings -l "$prefix/share/man/man1/lumetra-import.1.gz" 2>"$work/warnings" | col -b | tr -s '[:space:]' ' ')
[ ! -s "$work/warnings" ] || fail "man page warnings: $(cat "$work/warnings")"
for word in 'lumetra-import [OPTIONS] [FILE...]' --help --version 'EXIT STATUS' 130 'Lumetra Data Source' Database \
  JournalMode WAL Synchronous NORMAL CommitInterval 'CommitInterval = 100' Charset WINDOWS-1252 \
  'SQLDriverConnect' 'DRIVER=' 'lumetra/lumetra.db' setup-dsn.sh \
  'Backend = PostgreSQL' Server Port UID PWD SSLMode psql 'Backend = ODBC' Target SQLGetTypeInfo; do
  grep -qF -- "$word" <<<"$page" || fail "man page lacks $word"
done

# Every option that --help names is in the man page, and the other way round.
help_options=$("$prefix/bin/lumetra-import" --help | grep -oE '(^| )-(-[a-z-]+|[a-zA-Z])\b' | tr -d ' ' | sort -u)
page_options=$(MANWIDTH=200 man -l "$prefix/share/man/man1/lumetra-import.1.gz" 2>/dev/null | col -b \
  | sed -n '/^OPTIONS/,/^[A-Z]/p' | grep -oE '(^| |,)-(-[a-z-]+|[a-zA-Z])\b' | tr -d ' ,' | grep -vx -- '--' | sort -u)
[ -n "$help_options" ] && [ "$help_options" = "$page_options" ] \
  || fail "--help and the man page name other options: $(diff <(echo "$help_options") <(echo "$page_options") | tr '\n' ' ')"

entry=$prefix/share/applications/lumetra-import.desktop
grep -qx 'Exec=lumetra-import %F' "$entry" || fail "desktop entry does not pass the files"
grep -qx 'Terminal=false' "$entry" || fail "desktop entry asks for a terminal"
grep -qx 'Categories=Office;Database;' "$entry" || fail "desktop entry not in Office/Database"
grep -qx 'Icon=lumetra-import' "$entry" || fail "desktop entry has not our icon"
type=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
grep -q "<mime-type type=\"$type\">" "$prefix/share/mime/packages/lumetra-import.xml" \
  || fail "desktop entry's MIME type $type is not defined"

update-mime-database "$prefix/share/mime" >/dev/null 2>&1
printf 'Name,Age@N\r\nann,41\r\n' > "$work/people.cdf"
printf 'Name,Phone\nann,0123\n' > "$work/untyped.cdf"
printf 'CDF\001\000\000\000\001\000\000\000\012' > "$work/classic.cdf"
printf 'CDF\002\000\000\000\001\000\000\000\012' > "$work/offset64.cdf"
printf '\211HDF\r\n\032\n\000\000\000\000' > "$work/netcdf4.cdf"
for case in people.cdf:text/x-hp-cdf untyped.cdf:text/x-hp-cdf classic.cdf:application/x-netcdf \
  offset64.cdf:application/x-netcdf netcdf4.cdf:application/x-netcdf; do
  got=$(XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$work/none" \
    gio info -a standard::content-type "$work/${case%%:*}" | sed -n 's/^ *standard::content-type: //p')
  [ "$got" = "${case#*:}" ] || fail "${case%%:*} is $got, wanted ${case#*:}"
done
echo "install: layout, man page, desktop entry and MIME types checked"
