#!/bin/sh
# install-deps.sh [SET...]: installs what is missing of the named sets (default: tests).
#
# Each list in scripts/packages/*.txt names Debian packages, one or more a line ('#' starts a
# comment), and may name the sets it belongs to in a line '# sets: NAME...'; a list without one is
# in the tests' set. The sets:
#   demo    what configures and builds the tree, and runs the demo page (./run-demo.sh)
#   tests   every list of the demo's and the tests' sets, then the npm packages pinned by each
#           package-lock.json of the tree, installed into its folder's node_modules
#           (./run-tests.sh); Debian's npm with them where the machine has no npm command
#   other   as the lists name them (scripts/build-package.sh: 'package')
# Runs apt-get through sudo when not root. Safe to run again: installs only what is missing, and
# npm packages only where the lock file changed since they were installed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
[ $# -gt 0 ] || set -- tests

# The sets a list belongs to: its '# sets:' line, else the tests' set.
sets_of() {
    line=$(sed -n 's/^#[[:space:]]*sets:[[:space:]]*//p' "$1" | head -n 1)
    echo "${line:-tests}"
}

# Whether a list with these sets is wanted: the tests' set takes the demo's lists too, since the
# tests build everything the demo builds.
wanted_list() {
    for asked in "$@"; do
        for set in $list_sets; do
            [ "$set" = "$asked" ] && return 0
            [ "$asked" = tests ] && [ "$set" = demo ] && return 0
        done
    done
    return 1
}

# The lists of the sets asked for, one a line.
selected_lists() {
    for list in "$here"/packages/*.txt; do
        list_sets=$(sets_of "$list")
        if wanted_list "$@"; then echo "$list"; fi
    done
}

npm_packages=no
for asked in "$@"; do
    [ "$asked" = tests ] && npm_packages=yes
done
if [ -z "$(selected_lists "$@")" ]; then
    echo "install-deps: no list in scripts/packages/ belongs to the set(s): $*" >&2
    exit 2
fi

wanted=$(selected_lists "$@" | while read -r list; do sed 's/#.*//' "$list"; done \
    | tr -s ' \t' '\n' | grep -v '^$' | sort -u)
missing=""
for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
# A Node.js from elsewhere brings its own npm and conflicts with Debian's: take Debian's only where
# there is no npm at all.
if [ $npm_packages = yes ] && ! command -v npm >/dev/null 2>&1; then
    missing="$missing npm"
fi

if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    # shellcheck disable=SC2086 # one word per package
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

if [ $npm_packages = yes ]; then
    # Every lock file of the tree but those of installed packages and build folders.
    find "$root" \( -name node_modules -o -name .git -o -path "$root/build*" \) -prune \
        -o -name package-lock.json -type f -print | sort | while read -r lock; do
        sh "$here/npm-ci.sh" "$(dirname "$lock")" </dev/null
    done
fi
