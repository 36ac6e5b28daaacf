#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the dialog from the release build. Qt wants a private runtime folder; a session that
# has none (a bare terminal, su, ssh) gets the one Qt would fall back to, without Qt's warning.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="/tmp/runtime-$(id -un)"
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi
exec build/release/ui/corvane
