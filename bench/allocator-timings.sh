#!/usr/bin/env bash
# Whole-process timings of the program's real work on each allocator: the
# quenby tool loading a large mailbox and sorting it by subject, with the
# memory manager, with glibc's malloc, and with mimalloc and jemalloc
# preloaded (the last three with the manager off, so that the same
# operator new and delete calls reach them). Median of five runs: wall
# time and peak resident memory. Then the share of the allocations (calls
# to operator new, malloc, calloc and realloc) the manager served.
#   bench/allocator-timings.sh MAILBOX [BUILD]   default build: build/release
set -euo pipefail
cd "$(dirname "$0")/.."
mailbox=${1:?usage: bench/allocator-timings.sh MAILBOX [BUILD]}
build=${2:-build/release}
quenby=$build/src/cli/quenby
counter=$build/bench/libquenby_count_malloc.so
for tool in "$quenby" "$counter"; do
  [ -e "$tool" ] || { echo "missing $tool: ninja -C $build quenby quenby_count_malloc" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$mailbox" >/dev/null  # warm the page cache
run=("$quenby" list "$mailbox" --sort subject)

# "wall_seconds peak_kb" as the median of five runs of run() under the
# given environment settings.
median() {
  for _ in 1 2 3 4 5; do
    env "$@" /usr/bin/time -f "%e %M" -o "$work/time" "${run[@]}" >/dev/null 2>"$work/stderr" ||
      { cat "$work/stderr" >&2; return 1; }
    cat "$work/time"
  done | sort -n | sed -n 3p
}

declare -A wall rss
lib=/usr/lib/x86_64-linux-gnu
settings=(
  "fast:QUENBY_FAST=1"
  "glibc:QUENBY_SYSTEM_ALLOCATOR=1"
  "mimalloc:QUENBY_SYSTEM_ALLOCATOR=1 LD_PRELOAD=$lib/libmimalloc.so.2"
  "jemalloc:QUENBY_SYSTEM_ALLOCATOR=1 LD_PRELOAD=$lib/libjemalloc.so.2"
)
echo "mailbox: $(stat -c %s "$mailbox") bytes; command: quenby list MAILBOX --sort subject"
for setting in "${settings[@]}"; do
  name=${setting%%:*}
  read -r -a vars <<<"${setting#*:}"
  if [[ ${vars[*]} == *LD_PRELOAD=* ]] && [ ! -e "${vars[-1]#LD_PRELOAD=}" ]; then
    echo "$name: not installed"
    continue
  fi
  read -r wall[$name] rss[$name] < <(median "${vars[@]}")
  printf '%-9s %6.2f s  %8d KB peak\n' "$name:" "${wall[$name]}" "${rss[$name]}"
done
for name in glibc mimalloc jemalloc; do
  [ -n "${wall[$name]:-}" ] || continue
  echo "fast / $name: time $(echo "scale=2; ${wall[fast]} / ${wall[$name]}" | bc)," \
    "memory $(echo "scale=2; ${rss[fast]} / ${rss[$name]}" | bc)"
done

# Calls reaching malloc with the manager off count every allocation; with it
# on, only those it does not serve.
count() {
  env "$@" LD_PRELOAD="$counter" QUENBY_COUNT_MALLOC_OUT="$work/count" "${run[@]}" >/dev/null
  cat "$work/count"
}
read -r all_calls all_bytes < <(count QUENBY_SYSTEM_ALLOCATOR=1)
read -r left_calls left_bytes < <(count QUENBY_FAST=1)
echo "served by the manager: $(echo "scale=1; 100 * ($all_calls - $left_calls) / $all_calls" | bc)%" \
  "of $all_calls allocations, $(echo "scale=1; 100 * ($all_bytes - $left_bytes) / $all_bytes" | bc)%" \
  "of $all_bytes bytes"
