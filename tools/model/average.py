#!/usr/bin/python3
"""Average the weights of checkpoints of one network (e.g. the committed weights and a run
resumed from them), which often beats each of them; calibrate.py then picks the sharpness.

Usage:
    /usr/bin/python3 tools/model/average.py A.pt B.pt [...] [--weights 0.6,0.4] [--half] --out SOUP.pt

One checkpoint alone with --half only stores it as float16.
"""

import argparse
import sys

import torch


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("checkpoints", nargs="+")
    ap.add_argument("--out", required=True)
    ap.add_argument("--weights", default=None,
                    help="share of each checkpoint, e.g. 0.7,0.3 (default: equal shares)")
    ap.add_argument("--half", action="store_true",
                    help="store the weights as float16: half the file (the committed weights' "
                         "exported vocals moved by -67 to -76 dB)")
    args = ap.parse_args()
    shares = [float(w) for w in args.weights.split(",")] if args.weights else \
        [1.0] * len(args.checkpoints)
    if len(shares) != len(args.checkpoints) or min(shares) < 0 or sum(shares) <= 0:
        sys.exit("average.py: --weights needs one non-negative share per checkpoint")
    shares = [w / sum(shares) for w in shares]
    ckpts = [torch.load(p, map_location="cpu") for p in args.checkpoints]
    first = ckpts[0]
    for path, c in zip(args.checkpoints, ckpts):
        if c["channels"] != first["channels"] or c.get("context", []) != first.get("context", []) \
                or c["state"].keys() != first["state"].keys():
            sys.exit(f"average.py: {path} is not the same network as {args.checkpoints[0]}")
    state = {}
    for k, v in first["state"].items():
        mean = sum(w * c["state"][k].double() for w, c in zip(shares, ckpts))
        # BatchNorm's batch counter is an integer: it keeps the last checkpoint's count.
        if v.is_floating_point():
            state[k] = mean.to(torch.float16 if args.half else v.dtype)
        else:
            state[k] = ckpts[-1]["state"][k]
    # A mean needs its sharpness picked again; one checkpoint alone keeps its own.
    out = {k: v for k, v in ckpts[-1].items() if k != "sharpness" or len(ckpts) == 1}
    out.update(state=state, averaged=len(ckpts))
    torch.save(out, args.out)
    print(f"averaged {len(ckpts)} checkpoints into {args.out}")


if __name__ == "__main__":
    sys.exit(main())
