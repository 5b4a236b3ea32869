#!/usr/bin/env bash
# scripts/render and morvanel_make_example as a user runs them, from a folder
# of their own with relative file names.
# Usage: RenderScriptTest.sh SOURCE_DIR BIN_DIR
# scripts/render runs from a stand-in repository: the real script, a deps
# script and a cmake that only print to stdout (so nothing is built and their
# output must not reach the script's stdout), and the tested tree's programs
# as its optimised tree.
set -euo pipefail
source_dir="$1"
bin_dir="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

repo="$tmp/repo"
mkdir -p "$repo/scripts" "$repo/build/release" "$tmp/tools" "$tmp/home" "$tmp/work"
cp "$source_dir/scripts/render" "$repo/scripts/render"
printf '#!/bin/sh\necho "deps ran"\n' >"$repo/scripts/deps"
printf '#!/bin/sh\necho "cmake ran"\n' >"$tmp/tools/cmake"
chmod +x "$repo/scripts/deps" "$tmp/tools/cmake"
ln -s "$bin_dir" "$repo/build/release/bin"
export PATH="$tmp/tools:$PATH" HOME="$tmp/home"
unset XDG_STATE_HOME XDG_CONFIG_HOME

# Four frames of 16-bit mono PCM at 44100 Hz.
wav_header='RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00'
wav_header+='\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00data\x08\x00\x00\x00'
printf "$wav_header"'\x00\x10\x00\x20\x00\x30\x00\x40' >"$tmp/work/in.wav"

cd "$tmp/work"
../repo/scripts/render in.wav out.wav >stdout.txt 2>stderr.txt ||
    fail "render from the caller's folder: $(cat stderr.txt)"
[ -s out.wav ] || fail "no out.wav in the caller's folder"
[ ! -e "$repo/out.wav" ] || fail "out.wav written in the repository"
[ ! -s stdout.txt ] || fail "render printed on stdout: $(cat stdout.txt)"
grep -q "deps ran" stderr.txt && grep -q "cmake ran" stderr.txt ||
    fail "build output missing from stderr"

../repo/scripts/render --list >list.txt 2>stderr.txt || fail "--list: $(cat stderr.txt)"
[ "$(head -n 1 list.txt)" = "Parameters:" ] || fail "--list stdout: $(cat list.txt)"
! grep -q " ran$" list.txt || fail "build output on the stdout of --list"

"$bin_dir/morvanel_make_example" --help >help.txt || fail "make_example --help"
[ "$(head -c 7 help.txt)" = "Usage: " ] || fail "make_example --help printed $(cat help.txt)"
status=0
"$bin_dir/morvanel_make_example" --out.wav 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "make_example --out.wav gave status $status"
[ ! -e ./--help ] && [ ! -e ./--out.wav ] || fail "make_example wrote an option-like file"
