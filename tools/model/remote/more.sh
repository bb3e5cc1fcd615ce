#!/bin/bash
# Unpack one more shard beside the running training; the runs pick its items up.
# usage: more.sh SHARD_FOLDER
root=${ROOT:-/root}
python3 tools/model/opus_pack.py unpack "$1/shard.npz" "$root/d/train" --lib "$1/libopus.so.0" \
    --jobs 8 || exit 1
tail -n 2 "$root/ck/a.log" "$root/ck/b.log"
