#!/usr/bin/env bash
# Does this machine run i386 (32-bit x86) programs? The one answer that
# the package installs, the builds and the test setup all follow.
#   i386.sh    prints "yes" and exits 0, or prints why not and exits 1
# A kernel without 32-bit support refuses them ("Exec format error"),
# and then so does the 32-bit Wine loader. The probe is a few
# instructions assembled and linked with binutils alone (no multilib), so
# it can be asked before the i386 libraries are installed.
# LUMETRA_I386=yes or =no forces the answer, to try either path.
set -uo pipefail

case "${LUMETRA_I386:-}" in
  yes) echo yes; exit 0 ;;
  no) echo "forced by LUMETRA_I386=no"; exit 1 ;;
  "") ;;
  *) echo "LUMETRA_I386 must be yes or no, not '$LUMETRA_I386'"; exit 1 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# exit(0) through the i386 system call gate.
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' > "$work/probe.s"
if ! as --32 -o "$work/probe.o" "$work/probe.s" 2>"$work/err" || ! ld -m elf_i386 -o "$work/probe" "$work/probe.o" 2>>"$work/err"; then
  echo "no i386 probe could be built: $(head -n 1 "$work/err")"
  exit 1
fi
if ! out=$("$work/probe" 2>&1); then
  echo "the kernel refuses i386 programs: ${out:-exit status $?}"
  exit 1
fi
echo yes
