#!/bin/sh
# Redraws the pictures of Images/ with the project's own drawing program, then refreshes the copy
# beside the executables.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target vorl-make-images
"$build/tools/vorl-make-images" "$root/Images"
cmake -S "$root" -B "$build" >/dev/null
