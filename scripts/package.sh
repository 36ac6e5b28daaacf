#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package dist/corvane_VERSION_amd64.deb with debhelper, from a copy of the
# source tree in build/package, so the work tree gets no build products of dpkg-buildpackage.
# Prints the compiler's and debhelper's messages only when the build fails.
source "$(dirname "$0")/common.sh"

version=$(dpkg-parsechangelog -l debian/changelog -S Version)
work=build/package
rm -rf "$work"
mkdir -p "$work/corvane-$version" dist
# What git knows of, committed or not, without what it ignores.
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/corvane-$version"

log=$work/build.log
echo "Building dist/corvane_${version}_amd64.deb"
if ! (cd "$work/corvane-$version" &&
      DEB_BUILD_OPTIONS="noddebs parallel=$jobs" dpkg-buildpackage -b -us -uc) >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "The package build failed; $log has all of it." >&2
    exit 1
fi
cp "$work/corvane_${version}_amd64.deb" dist/
