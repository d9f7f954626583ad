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

# Wall-clock seconds of the median of $runs runs of a command (output dropped).
median_seconds() {
  local times=() start
  for ((run = 0; run < runs; ++run)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    times+=("$(echo "$EPOCHREALTIME - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
}
