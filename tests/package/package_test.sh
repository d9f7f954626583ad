#!/usr/bin/env bash
# The installed programs work with nothing of the build tree around: builds
# the Debian package from the build folder, unpacks it into a temporary root
# and runs the programs from there, then does the same for an installation
# made with "cmake --install --prefix". The build tree's own programs are the
# oracle for what the installed ones print.
#
#   package_test.sh BUILD_DIR FIXTURE_DIR
#
# Exits 77 (skipped) where dpkg-deb is missing.
set -euo pipefail

build="$(cd "$1" && pwd)"
fixtures="$(cd "$2" && pwd)"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not found: skipped"; exit 77; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Settings, caches and runtime files of the viewer stay in the test's folder.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_CACHE_HOME="$work/home/cache"
export XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset LD_LIBRARY_PATH

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

elementary="$fixtures/tone_l2_44k_128k.mp2"
container="$fixtures/tone_l2.ts"
oracle_cli="$build/bin/tamberly-cli"

# Objects the dynamic loader initialised while running a command, one path a
# line ("calling init" lines of LD_DEBUG=files).
loaded_objects() {
    local log="$work/ld.$RANDOM"
    LD_DEBUG=files LD_DEBUG_OUTPUT="$log" "$@" >/dev/null 2>&1 || true
    sed -n 's/.*calling init: \(.*\)$/\1/p' "$log".* 2>/dev/null
    rm -f "$log".*
}

# check_tree NAME BIN_DIR PROGRAM_DIR: runs the installed programs.
check_tree() {
    local name="$1" bin="$2" programs="$3"
    local cli="$bin/tamberly-cli" viewer="$bin/tamberly"

    for command in "frames $elementary --rows 8" "frames $elementary --rows 4 --from 0x1000 --format csv" \
                   "validate $elementary" "validate $elementary --format json" "streams $container"; do
        local expected actual expected_code=0 actual_code=0
        # shellcheck disable=SC2086
        expected="$("$oracle_cli" $command 2>&1)" || expected_code=$?
        # shellcheck disable=SC2086
        actual="$("$cli" $command 2>&1)" || actual_code=$?
        if [ -z "$actual" ] || [ "$actual" != "$expected" ] || [ "$actual_code" != "$expected_code" ]; then
            fail "$name: tamberly-cli $command differs from the build tree's (exit $actual_code, want $expected_code)"
            diff <(echo "$expected") <(echo "$actual") | head -5 >&2 || true
        else
            pass "$name: tamberly-cli $command"
        fi
    done

    # Every tamberly object the CLI and the viewer load comes from the tree.
    local objects
    objects="$(loaded_objects "$cli" streams "$container")"
    objects+=$'\n'"$(QT_QPA_PLATFORM=offscreen loaded_objects timeout 5 "$viewer" "$container")"
    if grep -q "^$build/" <<<"$objects"; then
        fail "$name: a program loaded files of the build tree:"
        grep "^$build/" <<<"$objects" >&2
    fi
    for object in demo_ql_demux_mp2.so demo_demux_mp2.so libmpadec.so.0; do
        if grep -q "^$programs/$object\$\|^$(dirname "$programs")/$object" <<<"$objects"; then
            pass "$name: $object loaded from the installed tree"
        else
            fail "$name: $object not loaded from $programs"
        fi
    done

    # The viewer starts offscreen on a fixture and keeps running until stopped.
    local code=0
    QT_QPA_PLATFORM=offscreen timeout 5 "$viewer" "$elementary" >"$work/viewer.log" 2>&1 || code=$?
    if [ "$code" = 124 ]; then pass "$name: the viewer runs"; else fail "$name: the viewer ended with $code"; cat "$work/viewer.log" >&2; fi

    # No installed binary keeps a run path into the build tree or misses a library.
    local file
    while IFS= read -r -d '' file; do
        if readelf -d "$file" 2>/dev/null | grep -q "$build"; then fail "$name: $file has a run path into the build tree"; fi
        if ldd "$file" 2>/dev/null | grep -q "not found"; then fail "$name: $file misses a library"; ldd "$file" >&2; fi
    done < <(find "$programs" "$(dirname "$programs")" -maxdepth 1 -type f -print0)
}

# check_libraries NAME LIB_DIR INCLUDE_DIR: a C program built with the
# pkg-config files links both libraries and calls them.
check_libraries() {
    local name="$1" libdir="$2"
    command -v pkg-config >/dev/null && command -v cc >/dev/null || return 0
    cat >"$work/client.c" <<'PROGRAM'
#include <mpadec.h>
#include <mpaverify.h>
#include <stdio.h>
/* Validates the file in argv[1]: answers 0 when frames were decoded. */
int main(int argc, char** argv) {
    static uint8_t data[1 << 20];
    bufstream* stream = open_MPEGin_Audio_stream();
    FILE* file = argc > 1 ? fopen(argv[1], "rb") : NULL;
    if (stream == NULL || file == NULL || InitializeValidator() != 0) return 1;
    stream->release(stream);
    const size_t length = fread(data, 1, sizeof data, file);
    fclose(file);
    int32_t frames = 0;
    AddData(data, (int32_t)length, 0);
    AddData(NULL, 0, 1);
    GetDecodedFramesCount(&frames);
    UninitializeValidator();
    return frames > 0 ? 0 : 1;
}
PROGRAM
    local flags
    flags="$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs mpaverify mpadec)" \
        || { fail "$name: pkg-config does not find mpaverify and mpadec"; return; }
    # shellcheck disable=SC2086
    if cc -std=c11 -o "$work/client" "$work/client.c" $flags 2>"$work/cc.log" \
        && LD_LIBRARY_PATH="$libdir" "$work/client" "$elementary"; then
        pass "$name: a C program built with the pkg-config files validates a stream"
    else
        fail "$name: the pkg-config client does not build or run"; cat "$work/cc.log" >&2
    fi
}

# ------------------------------------------------------------ the package
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack"; exit 1; }
deb="$(ls "$work"/package/*.deb)"
root="$work/root"
dpkg-deb -x "$deb" "$root"
version="$("$oracle_cli" --version | cut -d' ' -f2)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] && pass "package version $version" \
    || fail "package version $(dpkg-deb -f "$deb" Version), the program's $version"
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libqt6widgets6 libavformat; do
    grep -q "$library" <<<"$depends" && pass "depends on $library" || fail "no dependency on $library: $depends"
done

programs="$(dirname "$(readlink -f "$root/usr/bin/tamberly-cli")")"
check_tree package "$root/usr/bin" "$programs"
check_libraries package "$(dirname "$programs")"

[ "$("$root/usr/bin/tamberly" --version)" = "tamberly $version" ] && pass "viewer --version" || fail "viewer --version"
for page in tamberly tamberly-cli; do
    text="$(zcat "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null || true)"
    grep -qi "^\.TH $page \"1\"" <<<"$text" && grep -q "$version" <<<"$text" \
        && pass "manual page of $page" || fail "manual page of $page"
done
grep -q "validate" <(zcat "$root/usr/share/man/man1/tamberly-cli.1.gz") || fail "the CLI's manual page lacks its commands"

desktop="$root/usr/share/applications/tamberly.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" && pass "desktop entry valid" || fail "desktop entry"
fi
grep -q '^MimeType=.*audio/mpeg;' "$desktop" && [ -s "$root/usr/share/icons/hicolor/scalable/apps/tamberly.svg" ] \
    && pass "desktop entry with file types and icon" || fail "desktop entry file types or icon"

# Completion: commands and the validator's event kinds come from the program.
completion() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tamberly_cli; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$root/usr/share/bash-completion/completions/tamberly-cli" "$@"
}
[ "$(completion "$root/usr/bin/tamberly-cli" val)" = validate ] && pass "completion of a command" \
    || fail "completion of 'val': $(completion "$root/usr/bin/tamberly-cli" val)"
kinds="$(completion "$root/usr/bin/tamberly-cli" validate --disable "")"
grep -qx "free-format" <<<"$kinds" && ! grep -q " " <<<"$kinds" && pass "completion of --disable kinds" \
    || fail "completion of --disable kinds: $kinds"
options="$(completion "$root/usr/bin/tamberly-cli" frames --)"
grep -qx -- "--rows" <<<"$options" && ! grep -qx -- "--report" <<<"$options" && pass "completion of frames options" \
    || fail "completion of frames options: $options"

if command -v lintian >/dev/null; then
    lintian_log="$work/lintian.log"
    lintian "$deb" >"$lintian_log" 2>&1 || true
    if grep -q "^E:" "$lintian_log"; then fail "lintian errors:"; grep "^E:" "$lintian_log" >&2; else pass "lintian: no error"; fi
fi

# ----------------------------------------------------------- cmake --install
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install"; }
programs="$(dirname "$(readlink -f "$prefix/bin/tamberly-cli")")"
check_tree install "$prefix/bin" "$programs"
check_libraries install "$(dirname "$programs")"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
