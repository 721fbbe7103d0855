#!/usr/bin/env bash
# Builds the tool in Release and measures it against the device simulator:
# the window's and korvelctl's exchange times against their floors, an
# independent Modbus master side by side, responsiveness, start-up, memory
# and window construction.
# Prints one markdown table; takes about a minute. Figures never fail it.
# Extra arguments go to korvel-bench (--help lists them), e.g.
#     bash scripts/bench.sh --repeats 9
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$root/build-bench"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j"$(nproc)" --target korvel-bench >/dev/null

# Other work on the machine shows in every figure: say so up front.
read -r load1 _ < /proc/loadavg
if awk -v l="$load1" -v n="$(nproc)" 'BEGIN { exit !(l > n / 2) }'; then
    echo "bench: load average $load1 on $(nproc) cores; expect noisy figures" >&2
fi

QT_QPA_PLATFORM=offscreen "$dir/tools/bench/korvel-bench" \
    --log "$dir/bench-debug.log" --out "$dir/benchmark-table.md" "$@"
echo >&2
echo "bench: table also in $dir/benchmark-table.md; the tool's debug log in $dir/bench-debug.log" >&2
