#!/usr/bin/env bash
# The Ansible collection over three lines of three simulated radios, against
# the same inventory running a no-op task and against korvelctl run by hand
# line by line (tools/bench/fleet_bench.py). Builds korvelctl and the
# simulator in Release into build-bench/; prints one markdown table.
#     bash scripts/bench-fleet.sh [ROUNDS]      (default 5; about a minute)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$root/build-bench"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j"$(nproc)" --target korvelctl korvel-devsim >/dev/null

read -r load1 _ < /proc/loadavg
if awk -v l="$load1" -v n="$(nproc)" 'BEGIN { exit !(l > n / 2) }'; then
    echo "bench-fleet: load average $load1 on $(nproc) cores; expect noisy figures" >&2
fi

# Debian's python3 and ansible-core, as the package's users run them.
/usr/bin/python3 "$root/tools/bench/fleet_bench.py" "$dir/cli/korvelctl" "$dir/tools/devsim/korvel-devsim" \
    "$root/ansible" "${1:-5}"
