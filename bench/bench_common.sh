# The preamble the benchmark scripts share; sourced, not run.

# Stops with a message when one of the named tools is missing.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
  done
}

# need_built BUILD TARGET PROGRAM: builds TARGET in BUILD when PROGRAM is not there yet.
need_built() {
  if [[ ! -x "$3" ]]; then
    echo "building $2 in $1" >&2
    cmake --build "$1" --target "$2" >&2
  fi
}

# Sets `work` to a new temporary folder that is removed on exit.
make_work_folder() {
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
}

# The medians of $runs runs of a command (output dropped): wall-clock seconds
# and CPU seconds (user + system), as "wall cpu". CPU time holds up better
# than wall-clock time on a machine that other work keeps busy.
median_times() {
  local walls=() cpus=() start cpu TIMEFORMAT='%U %S'
  for ((run = 0; run < runs; ++run)); do
    start=$EPOCHREALTIME
    cpu=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    walls+=("$(echo "$EPOCHREALTIME - $start" | bc -l)")
    cpus+=("$(echo "${cpu% *} + ${cpu#* }" | bc -l)")
  done
  local middle=$(((runs + 1) / 2))
  echo "$(printf '%s\n' "${walls[@]}" | sort -g | sed -n "${middle}p") $(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "${middle}p")"
}
