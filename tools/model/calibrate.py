#!/usr/bin/python3
"""Pick the mask sharpness of trained weights on a validation set, and store it with them.

The shipped model's mask is sigmoid(s * logit); training fixes the logits, this
picks s by the mean vocals SDR of `serve` (as evaluate.py measures it) and, with
--write, stores it in the checkpoint, where export_model.py takes it from.

Usage:
    nice -n 15 /usr/bin/python3 tools/model/calibrate.py WEIGHTS --data /tmp/sepdata/valvoice [--write]
"""

import argparse
import os
import sys

import numpy as np
import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unet_model as um  # noqa: E402
from evaluate import VOCALS, has_voice, sdr, songs  # noqa: E402


def mean_vocals_sdr(sep, items) -> float:
    scores = []
    for voc, acc in items:
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
    # The same songs and mono mixdowns that evaluate.py scores.
    items = [(voc, acc) for _, _, voc, acc in songs(args.data) if has_voice(voc)]
    if not items:
        sys.exit(f"calibrate.py: no validation items with a voice in {args.data}")
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
