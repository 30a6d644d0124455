#!/usr/bin/env bash
# Formats parts of sparse images with the security tool's formatter, takes
# each partition out with dd and checks it with dosfstools and mtools:
# fsck.fat finds nothing to fix, minfo shows the boot sector's geometry, and
# a file written with mcopy reads back the same.
#   check_formatted_parts.sh FORMAT_IMAGE_TOOL
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MTOOLS_SKIP_CHECK=1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# field NAME: the value minfo prints for NAME.
field() { sed -n "s/^$1: *//p" "$work/minfo" | head -1; }

# check_part IMAGE FIRST COUNT SPT HEADS FSTYPE SPC [LABEL]
check_part() {
  local image=$1 first=$2 count=$3 spt=$4 heads=$5 fstype=$6 spc=$7 label=${8:-}
  local part=$work/part total=$((count - spt))
  dd if="$image" of="$part" bs=512 skip=$((first + spt)) count=$total conv=sparse status=none
  local what="part of $count sectors at $first ($fstype)"
  fsck.fat -n "$part" >"$work/fsck" 2>&1 || { cat "$work/fsck"; fail "fsck.fat: $what"; }
  minfo -i "$part" :: >"$work/minfo" 2>&1 || { cat "$work/minfo"; fail "minfo: $what"; return; }
  [ "$(field 'cluster size')" = "$spc sectors" ] || fail "cluster size $(field 'cluster size'): $what"
  [ "$(field 'sectors per track')" = "$spt" ] || fail "sectors per track: $what"
  [ "$(field 'heads')" = "$heads" ] || fail "heads: $what"
  [ "$(field 'hidden sectors')" = "$spt" ] || fail "hidden sectors: $what"
  [ "$(field 'media descriptor byte')" = "0xf8" ] || fail "media: $what"
  grep -q "^disk type=\"$fstype *\"" "$work/minfo" || fail "type: $what"
  if [ "$total" -lt 65536 ] && [ "$fstype" != FAT32 ]; then
    [ "$(field 'small size')" = "$total sectors" ] || fail "16-bit total: $what"
  else
    [ "$(field 'big size')" = "$total sectors" ] || fail "32-bit total: $what"
  fi
  if [ -n "$label" ]; then
    mlabel -i "$part" -s :: | grep -q "is $label" || fail "label: $what"
  fi
  head -c 300000 /dev/urandom >"$work/in"
  mkdir -p "$work/out"
  mcopy -i "$part" "$work/in" ::/DATA.BIN && mmd -i "$part" ::/SUB &&
    mcopy -i "$part" "$work/in" ::/SUB/COPY.BIN &&
    mcopy -n -i "$part" ::/SUB/COPY.BIN "$work/out/copy" || fail "mcopy: $what"
  cmp -s "$work/in" "$work/out/copy" || fail "read back: $what"
  fsck.fat -n "$part" >"$work/fsck" 2>&1 || { cat "$work/fsck"; fail "fsck.fat after writing: $what"; }
  # The partition entry of the part's boot record.
  local entry
  entry=$(od -An -tx1 -j $(((first * 512) + 446)) -N 16 "$image" | tr -d ' \n')
  [ "${entry:0:2}" = 80 ] || fail "active flag: $what"
  local type=0b
  [ "$spt" -gt 32 ] && type=0c
  [ "${entry:8:2}" = "$type" ] || fail "partition type ${entry:8:2}: $what"
  rm -f "$part"
}

MB=2048
# A whole disk as one part.
run_single() {  # SECTORS SPT HEADS FSTYPE SPC [LABEL]
  local image=$work/disk.img
  rm -f "$image"
  "$tool" "$image" "$(($1 + 100))" "$3" "$2" "0:$1${6:+:$6}"
  check_part "$image" 0 "$1" "$2" "$3" "$4" "$5" "${6:-}"
  rm -f "$image"
}
run_single $((4 * MB)) 63 255 FAT12 1 PUBLIC
run_single 3000 63 255 FAT12 1
run_single $((20 * MB)) 32 64 FAT16 4 PRIVATE
run_single $((15 * MB)) 32 64 FAT16 2
run_single $((32 * MB)) 63 255 FAT16 4
run_single $((166241 + 63)) 63 255 FAT16 4
run_single $((512 * MB)) 63 255 FAT16 16
run_single $((513 * MB)) 63 255 FAT32 8 ABCDEFGHIJK

# Public and private parts on one disk, as the split leaves them.
image=$work/split.img
public=$((300 * MB - 1))
private=$((700 * MB))
"$tool" "$image" $((public + private + 1)) 255 63 "0:$public:PUBLIC" "$public:$private:PRIVATE"
check_part "$image" 0 "$public" 63 255 FAT16 16 PUBLIC
check_part "$image" "$public" "$private" 63 255 FAT32 8 PRIVATE

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all parts check out"
