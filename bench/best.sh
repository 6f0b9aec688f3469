# Sourced by the timing scripts; needs $work, a scratch folder.
# Best of three runs of a command: "wall cpu" in seconds (cpu = user + sys).
# The optional setup runs untimed before each run (emptying the output).
best() {
  local setup=$1
  shift
  local best_wall= best_cpu=
  for _ in 1 2 3; do
    $setup
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
      { cat "$work/stderr" >&2; return 1; }
    read -r wall user sys <"$work/time"
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc)" = 1 ]; then
      best_wall=$wall
      best_cpu=$(echo "$user + $sys" | bc)
    fi
  done
  echo "$best_wall $best_cpu"
}
