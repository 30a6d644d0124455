#!/usr/bin/env bash
# Runs one Windows test program in a sealed Wine prefix of its own (no drive
# but C:, no link to the host), for tests whose code deletes trees.
#   run_sealed.sh WINE_RUN PROGRAM.exe [FILE...] [-- ARGS...]
# The program and the files are copied into C:\test first; the session is
# made afresh and removed afterwards. ZEL_WINE_STATE names the session.
set -u
[ "${ZEL_WINE_SAFE:-0}" = 1 ] || { echo "run_sealed: ZEL_WINE_SAFE=1 is required" >&2; exit 2; }
[ -n "${ZEL_WINE_STATE:-}" ] || { echo "run_sealed: ZEL_WINE_STATE is required" >&2; exit 2; }
wine_run=$1 program=$2
shift 2
files=("$program")
while [ $# -gt 0 ] && [ "$1" != -- ]; do files+=("$1"); shift; done
[ $# -gt 0 ] && shift
"$wine_run" stop
"$wine_run" start || exit 2
trap '"$wine_run" stop' EXIT
"$wine_run" check-sealed || { echo "run_sealed: the prefix is not sealed; nothing runs" >&2; exit 2; }
prefix=$("$wine_run" env | sed -n 's/^WINEPREFIX=//p')
mkdir -p "$prefix/drive_c/test"
cp "${files[@]}" "$prefix/drive_c/test/" || exit 2
"$wine_run" run "C:\\test\\$(basename "$program")" "$@"
