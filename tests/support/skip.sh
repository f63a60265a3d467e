#!/usr/bin/env bash
# Stands in for a test that cannot run on this machine: says why, in the
# form scripts/test.sh gathers at the end, and exits with 77, which CTest
# reports as skipped (SKIP_RETURN_CODE), never as passed.
#   skip.sh GROUP REASON
echo "skipped ($1): $2"
exit 77
