#!/usr/bin/env bash
# Whole-process timings of the .dbx reader against undbx (a peer, used only
# for comparison): listing and extracting every message of a large folder
# file from a warm cache.
#   bench/dbx-timings.sh [COUNT] [BUILD]   defaults: 100000 build/release
# Needs the release build of quenby and bench_dbx_generate, and undbx.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100000}
build=${2:-build/release}
quenby=$build/src/cli/quenby
generate=$build/bench/bench_dbx_generate
corpus=../shared/corpus
for tool in "$quenby" "$generate"; do
  [ -x "$tool" ] || { echo "missing $tool: ninja -C $build quenby bench_dbx_generate" >&2; exit 1; }
done
command -v undbx >/dev/null || { echo "undbx is not installed (tools/setup)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/Bench.dbx
messages=("$corpus"/eml/mime4j/*.msg)
"$generate" "$file" "$count" "${messages[@]}"
bytes=$(stat -c %s "$file")
cat "$file" >/dev/null  # warm the page cache

source bench/best.sh

clean() { rm -rf "$work/q" "$work/u"; mkdir -p "$work/u"; }
none() { :; }

read -r list list_cpu < <(best none "$quenby" dbx-records "$file")
read -r quenby_export quenby_cpu < <(best clean "$quenby" export "$file" --eml "$work/q")
read -r undbx_export undbx_cpu < <(best clean undbx "$file" "$work/u")
"$quenby" export "$file" --eml "$work/q"

records=$("$quenby" dbx-records "$file" | tail -n +2 | wc -l)
quenby_files=$(find "$work/q" -name '*.eml' | wc -l)
undbx_files=$(find "$work/u" -name '*.eml' | wc -l)
# Same bytes: compare the sorted checksums of both sets of files.
same=$( (cd "$work/q" && find . -name '*.eml' -exec md5sum {} + | cut -d' ' -f1 | sort) >"$work/q.sum"
        (cd "$work/u" && find . -name '*.eml' -exec md5sum {} + | cut -d' ' -f1 | sort) >"$work/u.sum"
        cmp -s "$work/q.sum" "$work/u.sum" && echo yes || echo no)

mb=$(echo "scale=1; $bytes / 1000000" | bc)
rate() { echo "scale=0; $bytes / 1000000 / $1" | bc; }
echo "file:            $count messages, $mb MB ($records records listed)"
echo "quenby listing:  ${list}s (cpu ${list_cpu}s), $(rate "$list") MB/s"
echo "quenby export:   ${quenby_export}s (cpu ${quenby_cpu}s), $(rate "$quenby_export") MB/s, $quenby_files files"
echo "undbx export:    ${undbx_export}s (cpu ${undbx_cpu}s), $(rate "$undbx_export") MB/s, $undbx_files files"
echo "export ratio:    $(echo "scale=2; $undbx_export / $quenby_export" | bc)x wall," \
  "$(echo "scale=2; $undbx_cpu / $quenby_cpu" | bc)x cpu (undbx / quenby)"
echo "same texts:      $same"
