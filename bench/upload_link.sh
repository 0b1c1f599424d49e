#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Quibly developers
# SPDX-License-Identifier: MIT
#
# Runs bench_upload across a link of realistic speed instead of loopback: two network
# namespaces of their own joined by a veth pair, the client's sending side shaped with a
# token bucket (tbf; this machine's kernel has no netem, so there is no added delay).
# Needs root and iproute2. Touches nothing outside the two namespaces it creates, and removes
# them (and with them the veth pair) on exit, also when interrupted.
#
# Usage: bench/upload_link.sh [RATE]   e.g. 1gbit (the default), 100mbit
# Environment: BENCH_UPLOAD (default build/bench/bench_upload)
set -euo pipefail
cd "$(dirname "$0")/.."
rate=${1:-1gbit}
bench=$(realpath "${BENCH_UPLOAD:-build/bench/bench_upload}")

client=quibly-bench-client-$$
server=quibly-bench-server-$$
cleanup() {
  ip netns del "$client" 2>/dev/null || true
  ip netns del "$server" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ip netns add "$client"
ip netns add "$server"
ip link add veth0 netns "$client" type veth peer name veth1 netns "$server"
ip -n "$client" addr add 10.213.7.1/30 dev veth0
ip -n "$server" addr add 10.213.7.2/30 dev veth1
for ns in "$client" "$server"; do ip -n "$ns" link set lo up; done
ip -n "$client" link set veth0 up
ip -n "$server" link set veth1 up
# A burst above the largest segment the veth hands over (64 KiB) and a queue long enough that
# the shaper, not drops, sets the pace.
tc -n "$client" qdisc add dev veth0 root tbf rate "$rate" burst 256kb latency 50ms

echo "link: $rate from client to server (veth between network namespaces $client and $server)"
timeout 600 ip netns exec "$client" "$bench" --server-netns "$server" --address 10.213.7.2
