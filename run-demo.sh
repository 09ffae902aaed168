#!/bin/sh
# Installs what is missing, builds, and runs the demo page (examples/demo.js) through the real
# plug-in in the page runner. It talks to a real remote when one of the configured type is
# plugged in and readable; otherwise to the built-in simulated remote.
#   ./run-demo.sh [--simulated] [page settings...]     e.g. ./run-demo.sh vendor=0x1234 product=0x5678
set -eu
root=$(cd "$(dirname "$0")" && pwd)
simulated=no
if [ "${1:-}" = "--simulated" ]; then simulated=yes; shift; fi
sh "$root/scripts/install-deps.sh" demo
# Only what the demo runs: the page runner and the plug-in with the libraries it loads.
sh "$root/scripts/build.sh" "$root/build" --target page-runner
runner="$root/build/bin/page-runner"
cd "$root/examples"
# A remote that answers every request with three reports and then an end packet of FF.
demo_remote='id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=5'
if [ -n "${HIDLET_SIM:-}" ]; then
    echo "demo: simulated remotes from HIDLET_SIM"
elif [ $simulated = no ] && ! "$runner" list_remotes.js "$@" | grep -q 'no remotes found'; then
    echo "demo: using the remote plugged into this machine"
else
    echo "demo: no remote found here; using the built-in simulated remote ($demo_remote)"
    HIDLET_SIM=$demo_remote
    export HIDLET_SIM
fi
exec "$runner" demo.js "$@"
