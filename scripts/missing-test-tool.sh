#!/bin/sh
# missing-test-tool.sh NAME [ARGS...]: stands in, in a build configured without it, for a program
# that tests run (NAME) and that comes with the tests' packages, not the demo's. The test fails
# saying which command installs it; configure again (./run-tests.sh does) once it is installed.
echo "$1 is not installed: the tests that run it need the tests' packages," >&2
echo "  installed by: sh $(cd "$(dirname "$0")" && pwd)/install-deps.sh   (./run-tests.sh runs it, then configures again)" >&2
exit 1
