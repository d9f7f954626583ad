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
