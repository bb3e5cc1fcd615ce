#!/usr/bin/python3
"""Copy a validation set made with `gen_data.py --backing always`, its backing vocals
moved by a fixed gain (the lead and the accompaniment stay as they are).

On records the backing vocals often sit 10-20 dB under the lead, where a model
keeps much less of them than at the -6..0 dB of `valback`.

Usage:
    /usr/bin/python3 tools/model/backing_level.py /tmp/sepdata/valback /tmp/sepdata/valbackq --db -9
"""

import argparse
import os
import sys

import numpy as np

from train import item_files


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("src")
    ap.add_argument("dst")
    ap.add_argument("--db", type=float, default=-9.0)
    args = ap.parse_args()
    gain = 10 ** (args.db / 20)
    files = item_files(args.src)
    if not files:
        print("no items in", args.src)
        return 1
    os.makedirs(os.path.join(args.dst, "lead"), exist_ok=True)
    for f in files:
        name = os.path.basename(f)
        item = np.load(f).astype(np.float32)  # [vocals, accompaniment] x [2 channels, N]
        side = os.path.join(args.src, "lead", name)
        if os.path.exists(side):
            stored = np.load(side)
            lead = stored.astype(np.float32)
            item[0] = lead + gain * (item[0] - lead)
            np.save(os.path.join(args.dst, "lead", name), stored)
        np.save(os.path.join(args.dst, name), item.astype(np.float16))
    print(f"{len(files)} items with backing vocals at {args.db:+.1f} dB in {args.dst}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
