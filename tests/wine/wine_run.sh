#!/usr/bin/env bash
# Runs a Windows test program under the loader of its width, in the
# build's prefix of that width; its exit status is the test's.
#   wine_run.sh <win64|win32> <wine-prefix> <program.exe> [ARGS...]
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
wine_env "$1" "$2"
shift 2
wine "$@"
