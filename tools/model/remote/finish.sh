#!/bin/bash
# Wait for the runs to end (at most MAX_WAIT seconds), then write their last weights and the
# snapshot nearest half-way to OUT_DIR as .npz (the build's torch reads them back with
# npz_weights.py to-pt), with a thinned log of each run.
# usage: finish.sh MAX_WAIT OUT_DIR
root=${ROOT:-/root}; out=$2
end=$(( $(date +%s) + $1 ))
while pgrep -f "train.py --device" > /dev/null && [ "$(date +%s)" -lt "$end" ]; do sleep 2; done
for run in a b; do
    python3 tools/model/remote/npz_weights.py to-npz "$root/ck/$run.pt" "$out/$run.npz" \
        --mid "$out/${run}_mid.npz"
    { grep -v "^step" "$root/ck/$run.log"; grep "^step" "$root/ck/$run.log" | awk 'NR % 20 == 0'; } \
        > "$out/$run.log"
    tail -n 2 "$root/ck/$run.log"
done
