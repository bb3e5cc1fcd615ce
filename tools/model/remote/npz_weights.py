#!/usr/bin/python3
"""Move checkpoints between torch versions as plain .npz arrays.

A GPU machine's torch may write checkpoints that the build's older torch cannot read.

Usage:
    python3 npz_weights.py to-npz RUN.pt RUN.npz [--mid MID.npz]   (on the GPU machine)
    /usr/bin/python3 npz_weights.py to-pt RUN.npz RUN.pt           (here)
"""

import argparse
import glob
import sys

import numpy as np
import torch


def to_npz(src, dst):
    ckpt = torch.load(src, map_location="cpu", weights_only=False)
    arrays = {"state." + k: v.numpy() for k, v in ckpt["state"].items()}
    np.savez(dst, channels=np.array(ckpt["channels"]), context=np.array(ckpt["context"]),
             steps=np.array(ckpt["steps"]), **arrays)
    print(f"{src} -> {dst}: {ckpt['steps']} steps")


def to_pt(src, dst):
    z = np.load(src)
    state = {k[len("state."):]: torch.from_numpy(z[k].copy()) for k in z.files
             if k.startswith("state.")}
    torch.save({"channels": [int(c) for c in z["channels"]],
                "context": [int(c) for c in z["context"]],
                "state": state, "steps": int(z["steps"]), "seconds": 0.0}, dst)
    print(f"{src} -> {dst}: {int(z['steps'])} steps")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("mode", choices=("to-npz", "to-pt"))
    ap.add_argument("src")
    ap.add_argument("dst")
    ap.add_argument("--mid", help="also write the OUT.stepN snapshot nearest half-way here")
    args = ap.parse_args()
    if args.mode == "to-pt":
        to_pt(args.src, args.dst)
        return 0
    to_npz(args.src, args.dst)
    snaps = {int(p.rsplit("step", 1)[1]): p for p in glob.glob(args.src + ".step*")}
    if args.mid and snaps:
        # A hedge in case the end of the run over-fits.
        half = max(snaps) / 2
        to_npz(snaps[min(snaps, key=lambda s: abs(s - half))], args.mid)
    return 0


if __name__ == "__main__":
    sys.exit(main())
