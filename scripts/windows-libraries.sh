#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libraries that corvane-cli.exe takes from outside Windows, as DLLs for 64-bit
# Windows, from Debian's source packages: libintl (gettext) for the messages, libsoxr for the
# resampled square wave, libsndfile for the recordings that decode reads (its own formats only:
# no FLAC, Ogg or MPEG, whose libraries Debian has no Windows builds of either). The sources are those of one Debian release whatever the build
# machine runs, fetched through apt with lists of this script's own (no root, the system's
# sources untouched) and checked by apt against Debian's signed index; Debian's patches are
# applied. Built once into build/windows-libs and reused until this script changes.
#   windows-libraries.sh        prints nothing but errors; the prefix is build/windows-libs/prefix
source "$(dirname "$0")/common.sh"

root=$PWD
suite=bookworm
packages=(gettext libsndfile libsoxr)
work=$root/build/windows-libs
prefix=$work/prefix
stamp=$prefix/.built-$(sha256sum scripts/windows-libraries.sh | cut -c1-16)
[ -e "$stamp" ] && exit 0

rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial" "$work/src" "$prefix"
log=$work/build.log
fail() {
    tail -40 "$log" >&2
    echo "FAIL: $* (the whole log: $log)" >&2
    exit 1
}

echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main" \
    >"$work/apt/sources.list"
apt_options=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache::Archives="$work/apt/archives"
    -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)" -qq)
{ apt-get "${apt_options[@]}" update &&
    (cd "$work/src" && apt-get "${apt_options[@]}" source "${packages[@]}"); } >>"$log" 2>&1 ||
    fail "cannot fetch the sources of ${packages[*]} from Debian"
# One time for every file: Debian's patches leave some generated files older than their sources,
# and make would then want autotools to generate them again.
find "$work/src" -exec touch -h -d "@$(date +%s)" {} +

host=x86_64-w64-mingw32
# The DLLs need nothing but what every Windows has: gcc's own runtime is linked into each.
export LDFLAGS="-static-libgcc"
# Newer compilers (Debian 13's) make errors of what these older sources still do.
export CFLAGS="-O2 -Wno-error=implicit-function-declaration -Wno-error=incompatible-pointer-types -Wno-error=int-conversion"

(cd "$work/src"/libsoxr-*/ &&
    cmake -S . -B build -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
        -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF &&
    cmake --build build -j"$jobs" && cmake --install build &&
    cat LICENCE COPYING.LGPL >"$prefix/COPYING.libsoxr.txt") >>"$log" 2>&1 || fail "libsoxr did not build"

(cd "$work/src"/libsndfile-*/ &&
    cmake -S . -B build -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_TESTING=OFF -DBUILD_REGTEST=OFF -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF \
        -DENABLE_PACKAGE_CONFIG=OFF -DINSTALL_MANPAGES=OFF &&
    cmake --build build -j"$jobs" && cmake --install build &&
    cp COPYING "$prefix/COPYING.libsndfile.txt") >>"$log" 2>&1 || fail "libsndfile did not build"

# Only gettext's runtime library: the tools stay the build machine's. Configured and built by
# dash, which every Debian has, in two thirds of bash's time.
(cd "$work/src"/gettext-*/gettext-runtime &&
    mkdir -p build && cd build &&
    CONFIG_SHELL=/bin/dash /bin/dash ../configure -q --host=$host --prefix="$prefix" --enable-shared --disable-static \
        --disable-libasprintf --disable-java --disable-csharp --disable-c++ --disable-openmp --disable-curses \
        --disable-dependency-tracking CC=$host-gcc-posix &&
    make -C intl -j"$jobs" && make -C intl install &&
    cp ../intl/COPYING.LIB "$prefix/COPYING.libintl.txt") >>"$log" 2>&1 || fail "libintl did not build"

touch "$stamp"
