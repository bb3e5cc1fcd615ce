#!/usr/bin/python3
"""Pick the mask sharpness of trained weights on a validation set, and store it with them.

The shipped model's mask is sigmoid(s * logit); training fixes the logits, this
picks s by the mean vocals SDR of `serve` (as evaluate.py measures it) and, with
--write, stores it in the checkpoint, where export_model.py takes it from.

Usage:
    nice -n 15 /usr/bin/python3 tools/model/calibrate.py WEIGHTS --data /tmp/sepdata/valvoice [--write]
"""

import argparse
import glob
import os
import sys

import numpy as np
import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unet_model as um  # noqa: E402
from evaluate import VOCALS, sdr  # noqa: E402


def mean_vocals_sdr(sep, items) -> float:
    scores = []
    for k, item in enumerate(items):
        voc, acc = item[0], item[1]
        if k % 6 == 5:  # every sixth song as a mono mixdown, as evaluate.py does
            voc, acc = voc.mean(0, keepdims=True), acc.mean(0, keepdims=True)
        if float((voc ** 2).mean()) <= 1e-8:
            continue
        with torch.inference_mode():
            out = sep.serve(torch.from_numpy(np.ascontiguousarray((voc + acc).T)))
        scores.append(sdr(voc, out[VOCALS].numpy().T))
    return float(np.mean(scores))


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("weights")
    ap.add_argument("--data", default="/tmp/sepdata/valvoice")
    ap.add_argument("--grid", default="1.0,0.8,0.7,0.6,0.5")
    ap.add_argument("--threads", type=int, default=2)
    ap.add_argument("--write", action="store_true", help="store the best sharpness in WEIGHTS")
    args = ap.parse_args()
    torch.set_num_threads(args.threads)
    ckpt = torch.load(args.weights, map_location="cpu")
    files = [f for f in sorted(glob.glob(os.path.join(args.data, "*.npy"))) if ".tmp" not in f]
    if not files:
        sys.exit(f"calibrate.py: no validation items in {args.data}")
    items = [np.load(f).astype(np.float32) for f in files]
    best = None
    for s in [float(g) for g in args.grid.split(",")]:
        sep = um.build_separator(ckpt["state"], ckpt["channels"], ckpt.get("context", []), s)
        score = mean_vocals_sdr(sep, items)
        print(f"sharpness {s:.2f}: vocals {score:.2f} dB", flush=True)
        if best is None or score > best[1]:
            best = (s, score)
    print(f"best: {best[0]:.2f} ({best[1]:.2f} dB)")
    if args.write:
        ckpt["sharpness"] = best[0]
        torch.save(ckpt, args.weights + ".tmp")
        os.replace(args.weights + ".tmp", args.weights)
        print("stored in", args.weights)
    return 0


if __name__ == "__main__":
    sys.exit(main())
