#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Quibly developers
# SPDX-License-Identifier: MIT
#
# quibly-service on one PostgreSQL database with one and with two instances, in the same
# run: uploads per second (wrk, small bodies that fail recognition at once) and
# recognitions per minute (real screenshots with a few lines of tasks, real OCR).
#   bench/bench_instances.sh [BUILD_DIR] [SECONDS] [SCREENSHOTS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-10}
shots=${3:-24}
service="$build/service/quibly-service"
work=$(mktemp -d /tmp/quibly-bench-XXXXXX)
chmod 0755 "$work" # the database server runs as another user when this runs as root
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  tests/service/throwaway-postgres stop "$work/pg" || true
  rm -rf "$work"
}
trap cleanup EXIT

tests/service/throwaway-postgres start "$work/pg"
[ -f "$work/pg/url" ] || { cat "$work/pg/missing"; exit 1; }
url=$(cat "$work/pg/url")
key=$("$service" --database "$url" keys create bench)

convert -size 1000x360 xc:white -font DejaVu-Sans -pointsize 26 -fill black \
  -annotate +30+60 'TODO' -annotate +30+120 '- Call Anna about the contract tomorrow at 10:00' \
  -annotate +30+180 '- Send the invoice to Boris by Friday' -annotate +30+240 '- Book the meeting room' \
  "$work/shot.png"

cat > "$work/upload.lua" <<'LUA'
local n = 0
local prefix = tostring(math.random(1, 1e9))
request = function()
  n = n + 1
  local b = "quibly-bench"
  local body = ""
  local fields = { id = prefix .. "-" .. tostring(n) .. "-" .. tostring(math.random(1, 1e9)),
                   local_time = "2026-12-06T10:00:00Z", time_zone = "UTC", language = "en" }
  for name, value in pairs(fields) do
    body = body .. "--" .. b .. "\r\nContent-Disposition: form-data; name=\"" .. name .. "\"\r\n\r\n" .. value .. "\r\n"
  end
  body = body .. "--" .. b .. "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"c.png\"\r\n\r\nnot an image\r\n--" .. b .. "--\r\n"
  return wrk.format("POST", "/captures", { ["Content-Type"] = "multipart/form-data; boundary=" .. b,
                                          ["Authorization"] = "Bearer " .. os.getenv("QUIBLY_KEY") }, body)
end
LUA

start_instances() {
  local count=$1
  pids=()
  ports=()
  for i in $(seq 1 "$count"); do
    local port=$((18760 + i))
    "$service" --database "$url" --listen "127.0.0.1:$port" 2> /dev/null & # a log line per request is not measured
    pids+=($!)
    ports+=("$port")
  done
  for port in "${ports[@]}"; do
    for _ in $(seq 1 100); do
      curl -s -o /dev/null -H "Authorization: Bearer $key" "http://127.0.0.1:$port/tasks" && break
      sleep 0.1
    done
  done
}

stop_instances() {
  for pid in "${pids[@]}"; do kill "$pid"; done
  wait "${pids[@]}" 2>/dev/null || true
  pids=()
}

uploads_per_second() {
  local total=0
  local outs=()
  for port in "${ports[@]}"; do
    QUIBLY_KEY=$key wrk -t1 -c4 -d"${seconds}s" -s "$work/upload.lua" \
      "http://127.0.0.1:$port/captures" > "$work/wrk-$port.txt" &
    outs+=($!)
  done
  wait "${outs[@]}"
  for port in "${ports[@]}"; do
    if grep -q "Non-2xx" "$work/wrk-$port.txt"; then
      echo "bench_instances: failed answers:" >&2
      cat "$work/wrk-$port.txt" >&2
      exit 1
    fi
    rps=$(awk '/Requests\/sec/ { print $2 }' "$work/wrk-$port.txt")
    total=$(awk -v a="$total" -v b="$rps" 'BEGIN { print a + b }')
  done
  echo "$total"
}

recognitions_per_minute() {
  local begin end
  begin=$(date +%s.%N)
  for i in $(seq 1 "$shots"); do
    port=${ports[$((i % ${#ports[@]}))]}
    curl -s -o /dev/null -H "Authorization: Bearer $key" -F "id=shot-$1-$i" -F "local_time=2026-12-06T10:00:00Z" \
      -F "time_zone=UTC" -F "language=en" -F "image=@$work/shot.png;type=image/png" "http://127.0.0.1:$port/captures"
  done
  while curl -s -H "Authorization: Bearer $key" "http://127.0.0.1:${ports[0]}/captures" | grep -q '"pending"'; do
    sleep 0.2
  done
  end=$(date +%s.%N)
  awk -v n="$shots" -v a="$begin" -v b="$end" 'BEGIN { printf "%.1f\n", n * 60 / (b - a) }'
}

for count in ${QUIBLY_BENCH_COUNTS:-1 2}; do
  start_instances "$count"
  ups=$(uploads_per_second)
  rpm=$(recognitions_per_minute "$count")
  stop_instances
  echo "$count instance(s), 2 workers each: $ups uploads/s (wrk, $seconds s), $rpm recognitions/min ($shots screenshots)"
done
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
