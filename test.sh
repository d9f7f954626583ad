#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test with ctest:
# release, then the 32-bit build of the libraries that checks the record
# layouts for real, then the sanitizer build, then the thread-sanitizer build
# of the threaded test programs (tests/tsan_programs.cmake), then a short run
# of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

# Some kernels are built without 32-bit program support: there the 32-bit
# build still checks every frozen layout (they are compile-time assertions),
# but its test programs cannot start.
can_run_32bit() {
  local probe
  probe=$(mktemp -d)
  echo 'int main(void) { return 0; }' > "$probe/probe.c"
  gcc -m32 "$probe/probe.c" -o "$probe/probe" 2>/dev/null && "$probe/probe" 2>/dev/null
  local status=$?
  rm -rf "$probe"
  return $status
}

jobs=$(nproc)
for preset in release i386 asan tsan fuzz; do
  echo "=== $preset (at ${SECONDS} s)"
  if [ "$preset" = i386 ] && ! can_run_32bit; then
    # Test programs that cannot start are not worth their build time.
    cmake --preset i386 -DTAMBERLY_BUILD_TESTS=OFF >/dev/null
    cmake --build --preset i386 -j "$jobs"
    echo "=== i386: built (32-bit layouts checked at compile time); this kernel cannot run 32-bit programs, tests skipped"
    times
    continue
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset built (at ${SECONDS} s; processor time so far, of this script and then of its children:)"
  times
  ctest --preset "$preset" -j "$jobs"
done
echo "=== all passed (${SECONDS} s)"
