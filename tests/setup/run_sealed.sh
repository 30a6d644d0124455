#!/usr/bin/env bash
# Runs the setup libraries' Wine test in a sealed prefix of its own:
#   run_sealed.sh STATE_DIR TEST_EXE STANDIN_EXE LIBRARY_DIR CORVEX_DIR
# The prefix has no drive but C: and no link to the host (ZEL_WINE_SAFE=1),
# checked before anything runs; the test's files are copied onto its C:.
set -u
[ $# -eq 5 ] || { echo "usage: run_sealed.sh STATE TEST STANDIN LIBDIR CORVEXDIR" >&2; exit 2; }
state=$1 test_exe=$2 standin=$3 libdir=$4 corvex=$5
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run
export ZEL_WINE_STATE=$state ZEL_WINE_SAFE=1
unset ZEL_WINE_DRIVES

bash "$runner" stop
bash "$runner" start || { echo "run_sealed: the prefix could not be made" >&2; exit 1; }
trap 'bash "$runner" stop' EXIT
bash "$runner" check-sealed || { echo "run_sealed: the prefix is not sealed; nothing is run" >&2; exit 1; }
prefix=$(bash "$runner" env | sed -n 's/^WINEPREFIX=//p')
[ -n "$prefix" ] && [ -d "$prefix/drive_c" ] || { echo "run_sealed: no prefix" >&2; exit 1; }

dest="$prefix/drive_c/zeltest"
mkdir -p "$dest"
cp "$test_exe" "$standin" "$libdir"/CorvexSetup.dll "$libdir"/TessarySetup.dll "$libdir"/DormelSetup.dll "$dest"/ || exit 1
cp -r "$corvex" "$dest/Corvex" || exit 1
cd "$dest" && bash "$runner" run 'C:\zeltest\'"$(basename "$test_exe")" --gtest_brief=1
