#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# with_stalled_pipe.sh PIPE COMMAND...: runs the command while PIPE is a named pipe of one page
# held open but never read, so that a device writing into it stalls within its first play.
set -eu
pipe=$1
shift
rm -f "$pipe"
mkfifo "$pipe"
/usr/bin/python3 -c '
import fcntl, os, sys, time
fd = os.open(sys.argv[1], os.O_RDWR)
fcntl.fcntl(fd, fcntl.F_SETPIPE_SZ, 4096)
print(os.getpid(), flush=True)
time.sleep(120)' "$pipe" | {
    read -r holder
    status=0
    "$@" || status=$?
    kill "$holder" 2>/dev/null || true
    rm -f "$pipe"
    exit $status
}
