# SPDX-License-Identifier: MIT
# What every script shares, sourced first: strict mode, the project's root as the working folder,
# sub-builds that do not announce every folder, and warnings as errors under CI.
set -euo pipefail
unset MAKEFLAGS MFLAGS MAKELEVEL
cd "$(dirname "${BASH_SOURCE[0]}")/.."

jobs=$(nproc)
werror=OFF
[ -n "${CI:-}" ] && werror=ON

# The debug build that make test and make check share, so that either reuses the other's tree.
debug_build_options=(-DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=ON)

# Configures folder with cmake options..., builds targets (all when empty) and runs its tests
# selected by ctest options; a test that hangs fails after 300 s.
build_and_test() {  # folder, ctest options, targets, cmake options...
    local dir=$1 select=$2 targets=$3
    shift 3
    echo "== $dir"
    cmake -S . -B "$dir" -Wno-dev -DCORVANE_WERROR=$werror -DCORVANE_BUILD_BENCH=OFF "$@" >/dev/null
    cmake --build "$dir" -j"$jobs" ${targets:+--target $targets}
    ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 300 $select
}
