#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds a small C++ user of the library against it
# three ways: find_package with the shared library, with the static library, and pkg-config.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expected="97 97 91 0.000000"
for target in simplex_weights::simplex_weights simplex_weights::simplex_weights_static; do
  dir=$work/${target##*::}
  cmake -S "$source/tests/consumer" -B "$dir" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCONSUMER_TARGET="$target" >/dev/null
  cmake --build "$dir" >/dev/null
  LD_LIBRARY_PATH=$prefix/lib "$dir/consumer" | tail -1 | grep -qx "$expected" ||
    { echo "$target: consumer failed"; exit 1; }
  echo "find_package, $target: $expected"
done
if [ "$(readelf -d "$work/simplex_weights_static/consumer" | grep -c 'libsimplex-weights')" -ne 0 ]; then
  echo "the static consumer needs the shared library"; exit 1
fi
readelf -d "$prefix"/lib/libsimplex-weights.so.2 | grep -q 'SONAME.*libsimplex-weights.so.2' ||
  { echo "the shared library has no SONAME libsimplex-weights.so.2"; exit 1; }
if command -v pkg-config >/dev/null; then
  export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
  # shellcheck disable=SC2046
  g++ -std=c++20 -o "$work/pc_consumer" "$source/tests/consumer/consumer.cpp" \
    $(pkg-config --cflags --libs simplex-weights)
  LD_LIBRARY_PATH=$prefix/lib "$work/pc_consumer" | tail -1 | grep -qx "$expected" ||
    { echo "pkg-config consumer failed"; exit 1; }
  echo "pkg-config: $expected"
else
  echo "pkg-config: skipped (not installed)"
fi
