#!/bin/bash
# On a borrowed GPU machine, from the repository root: unpack the first shard and start two
# fine-tuning runs from the committed weights in the background, in their own sessions so
# that they outlive this command.
# usage: start.sh SHARD_FOLDER MINUTES   (SHARD_FOLDER holds shard.npz and libopus.so.0)
set -u
dir=$1; minutes=$2
root=${ROOT:-/root}; dev=${DEV:-cuda}
nvidia-smi --query-gpu=name,memory.total --format=csv,noheader 2>&1
python3 -c "import torch; print('torch', torch.__version__, 'cuda', torch.cuda.is_available())"
mkdir -p "$root/d/train" "$root/ck"
python3 tools/model/opus_pack.py unpack "$dir/shard.npz" "$root/d/train" --lib "$dir/libopus.so.0" \
    --jobs "$(nproc)" || exit 1
cp tools/model/weights/vocals_unet.pt "$root/ck/init.pt"
# The runs import from their own copy: the next call replaces the working tree.
rm -rf "$root/code" && cp -r tools/model "$root/code" || exit 1
cd "$root/code" || exit 1
for run in "a 3e-4 ${BATCH_A:-16} 21" "b 2e-4 ${BATCH_B:-32} 22"; do
    set -- $run
    PYTHONUNBUFFERED=1 setsid nohup python3 train.py --device "$dev" --data "$root/d/train" \
        --init "$root/ck/init.pt" --out "$root/ck/$1.pt" --minutes "$minutes" --lr "$2" \
        --batch "$3" --seed "$4" --frames 512 --loss sdr --threads 4 \
        --keep-every "${KEEP:-2000}" > "$root/ck/$1.log" 2>&1 < /dev/null &
done
sleep "${WAIT:-45}"
tail -n 3 "$root/ck/a.log" "$root/ck/b.log"
