#!/usr/bin/env bash
# An independent client against the simulator: Hamlib's rigctl with its FT-991
# backend reads and sets the frequency and the mode and reads the S-meter
# through vantor-radiosim on a pseudo-terminal, as it would a real radio.
# Usage: rigctl_test.sh path/to/vantor-radiosim
set -euo pipefail

sim=$(realpath "${1:?usage: rigctl_test.sh path/to/vantor-radiosim}")
rig_model=1035  # FT-991 in Hamlib's list

fail() {
    echo "FAIL: $*" >&2
    [[ -f ${dir:-}/sim.log ]] && { echo "--- simulator log" >&2; cat "$dir/sim.log" >&2; }
    exit 1
}

command -v rigctl >/dev/null || fail "rigctl not found (Debian package libhamlib-utils)"
rigctl -l | awk -v m=$rig_model '$1 == m && /FT-991/ { found = 1 } END { exit !found }' \
    || fail "rigctl does not list model $rig_model as the FT-991"

dir=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"

"$sim" --model 0670 --link COM5 --log sim.log --smeter 130 >sim.out 2>&1 &
pid=$!

# Bounded waits: poll every 50 ms, give up after a deadline.
wait_until() {  # seconds, then a command
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}
wait_until 10 test -L COM5 || fail "no link COM5 after 10 s: $(cat sim.out)"
grep -q "^vantor-radiosim: model 0670 on /dev/pts/[0-9]* via COM5$" sim.out || fail "start line: $(cat sim.out)"

rig() { timeout 30 rigctl -m $rig_model -r COM5 -s 38400 "$@"; }

# f: start frequency; F/f: set and read back; M/m: mode and width; l STRENGTH:
# the S-meter at 130 is S9, which Hamlib reports as 0 dB.
mapfile -t out < <(rig f F 14074000 f M USB 0 m l STRENGTH) || true
expected=(14250000 14074000 USB)
for i in 0 1 2; do
    [[ ${out[$i]:-} == "${expected[$i]}" ]] || fail "answer $i: '${out[$i]:-}', expected '${expected[$i]}' (all: ${out[*]:-})"
done
[[ ${out[3]:-} =~ ^[0-9]+$ && ${out[3]} -gt 0 ]] || fail "USB width: '${out[3]:-}'"
[[ ${out[4]:-} == 0 ]] || fail "S-meter at S9: '${out[4]:-}' dB"

# A second session finds what the first one left, and changes mode again.
mapfile -t out < <(rig f m M CW 0 m) || true
[[ ${out[0]:-} == 14074000 && ${out[1]:-} == USB && ${out[3]:-} == CW ]] || fail "second session: ${out[*]:-}"

grep -q '^[0-9]* FA014074000;$' sim.log || fail "the frequency set is not in the log"
grep -q '^[0-9]* MD03;$' sim.log || fail "the CW mode set is not in the log"

kill -TERM "$pid"
wait_until 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "simulator still running 10 s after SIGTERM"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "simulator exit status $status after SIGTERM"
[[ ! -e COM5 && ! -L COM5 ]] || fail "link COM5 left behind"
echo "rigctl test: 1 passed, 0 failed"
