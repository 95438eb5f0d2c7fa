#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need. The README's quick
# start and CI both call this script, so their lists cannot drift apart. Runs apt-get only when
# a package is missing; as root, or through sudo.
set -euo pipefail

# The build: compiler, CMake, GoogleTest, nanoflann (weights_inspect and the figures), pybind11
# with Debian's Python and numpy (the Python module), gzip for the manual pages.
build_packages=(cmake g++ make libgtest-dev libnanoflann-dev pybind11-dev python3-pybind11
                python3-dev python3-numpy gzip)
# The tests and CI: end-to-end runners, a real NSGA-III client, pkg-config for the installed-tree
# consumer, pip and venv for the source install, clang tools, valgrind, packaging and lint.
test_packages=(python3 python3-scipy python3-deap python3-pip python3-venv python3-setuptools python3-wheel
               libpagmo-dev pkg-config clang libclang-rt-14-dev clang-format clang-tidy valgrind groff-base
               dpkg-dev lintian)

case "${1:-all}" in
  build) wanted=("${build_packages[@]}") ;;
  all) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [build|all]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=$( [ "$(id -u)" -eq 0 ] || command -v sudo )
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
