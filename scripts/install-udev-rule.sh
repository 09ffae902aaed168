#!/bin/sh
# install-udev-rule.sh: the udev rule alone, without the engine or the extension: the user at the
# seat (uaccess) and the members of plugdev may open the hidraw nodes of remotes, for reading and
# writing. That is all a page needs on Linux to reach a remote through the browser's own WebHID:
# Chromium opens a node it may only read read-only, and every write then fails.
#
#   sudo scripts/install-udev-rule.sh [VID:PID...]     (default 1234:5678, the type of the package)
#   sudo scripts/install-udev-rule.sh --remove
#
#   VID:PID          a type of remote: USB vendor and product id, hexadecimal
#   --rules-dir DIR  where the rule goes (default /etc/udev/rules.d, where its name overrides the
#                    package's rule of the same name)
#   --no-reload      leave udev as it is (default: reload its rules and apply them to the hidraw
#                    nodes present, where udev runs)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
template=$root/packaging/70-remote-bridge.rules
rules_dir=/etc/udev/rules.d
reload=yes
remove=no
types=""
usage() { echo "usage: $0 [--rules-dir DIR] [--no-reload] [VID:PID...] | --remove" >&2; exit 2; }
while [ $# -gt 0 ]; do
    case $1 in
        --rules-dir) [ $# -ge 2 ] || usage; rules_dir=$2; shift ;;
        --rules-dir=*) rules_dir=${1#--rules-dir=} ;;
        --no-reload) reload=no ;;
        --remove) remove=yes ;;
        -*) usage ;;
        *)
            echo "$1" | grep -Eq '^[0-9A-Fa-f]{1,4}:[0-9A-Fa-f]{1,4}$' \
                || { echo "install-udev-rule: not VID:PID in hexadecimal: $1" >&2; exit 2; }
            types="$types $1" ;;
    esac
    shift
done
[ -n "$types" ] || types=" 1234:5678"
rule=$rules_dir/70-remote-bridge.rules

if [ $remove = yes ]; then
    rm -f "$rule"
    echo "install-udev-rule: removed $rule"
else
    mkdir -p "$rules_dir"
    # The package's rule, one line per type: the kernel names the HID device
    # BUS:VENDOR:PRODUCT.INSTANCE in upper-case hexadecimal digits.
    {
        echo "# Remotes of the types$types (written by scripts/install-udev-rule.sh): the user at the"
        echo "# seat (uaccess) and the members of plugdev may open their hidraw nodes."
        for type in $types; do
            ids=$(printf '%04X:%04X' "0x${type%:*}" "0x${type#*:}")
            grep '^SUBSYSTEM' "$template" | sed "s/0003:1234:5678/0003:$ids/"
        done
    } > "$rule.new"
    mv "$rule.new" "$rule"
    echo "install-udev-rule: wrote $rule for$types"
fi

if [ $reload = yes ]; then
    if command -v udevadm >/dev/null 2>&1 && udevadm control --reload-rules 2>/dev/null; then
        udevadm trigger --subsystem-match=hidraw
    else
        echo "install-udev-rule: udev does not run here; the rule applies once it does" >&2
    fi
fi
