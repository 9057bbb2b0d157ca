#!/usr/bin/env bash
# Installs the Debian packages the build needs, where they are missing
# (libxml2-utils: xmllint, with which the tests check the SEPA files).
set -euo pipefail
need=()
for pkg in g++ cmake make pkg-config libgtest-dev liblua5.4-dev libxxhash-dev nettle-dev libktoblzcheck1-dev libxml2-utils python3 strace tmux; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
  if [ "$(id -u)" != 0 ]; then echo "missing packages: ${need[*]} (run as root)" >&2; exit 1; fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
