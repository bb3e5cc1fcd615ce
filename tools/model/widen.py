#!/usr/bin/python3
"""Widen a checkpoint's U-Net levels without changing what it computes.

The old weights keep their places; each new channel gets fresh incoming weights
and nothing from it reaches the old channels yet, so the wider network starts
with the old one's output and training then puts the new channels to use.

Usage:
    /usr/bin/python3 tools/model/widen.py CKPT --channels 8,16,32,64,96 --out WIDE.pt
    /usr/bin/python3 tools/model/widen.py CKPT --fine 32 --out WIDE.pt
"""

import argparse
import os
import sys

import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unet_model as um  # noqa: E402

# Fresh weights start small so the new channels join gently.
NEW_SCALE = 0.1


def widened_state(old, new):
    """old, new: state dicts of the narrow and the wide network (new holds fresh init)."""
    out = {}
    for name, fresh in new.items():
        if name not in old:
            raise ValueError(f"{name} is not in the checkpoint")
        w = old[name]
        if w.dim() != fresh.dim() or any(a > b for a, b in zip(w.shape, fresh.shape)):
            raise ValueError(f"{name}: {tuple(w.shape)} cannot grow to {tuple(fresh.shape)}")
        t = fresh.clone()
        if t.dim() == 4:
            # Convolution [out, in, kh, kw]: new output rows fresh and small; old output rows
            # see none of the new inputs.
            t.mul_(NEW_SCALE)
            t[: w.shape[0]] = 0.0
        elif name.endswith(".bias") and "norm" not in name:
            t.zero_()
        t[tuple(slice(0, n) for n in w.shape)] = w
        out[name] = t
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("checkpoint")
    ap.add_argument("--channels", default=None,
                    help="e.g. 8,16,32,64,96 (default: the checkpoint's)")
    ap.add_argument("--fine", type=int, default=None,
                    help="width of the fine layers over the low rows (default: the checkpoint's)")
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    ckpt = torch.load(args.checkpoint)
    channels = [int(c) for c in args.channels.split(",")] if args.channels else ckpt["channels"]
    if len(channels) != len(ckpt["channels"]) or any(
            a < b for a, b in zip(channels, ckpt["channels"])):
        sys.exit(f"widen.py: {channels} is not a widening of {ckpt['channels']}")
    context = ckpt.get("context", [])
    masks = um.mask_count(ckpt["state"])
    fine = um.fine_width(ckpt["state"])
    sets = um.fine_sets(ckpt["state"])
    wide_fine = fine if args.fine is None else args.fine
    if wide_fine > 0 and fine == 0:
        sys.exit("widen.py: the checkpoint has no fine layers to widen (train.py --fine adds them)")
    if wide_fine < fine:
        sys.exit(f"widen.py: fine layers {fine} wide cannot narrow to {wide_fine}")
    torch.manual_seed(0)
    net = um.VocalUNet(channels, context, masks, wide_fine, sets)
    state = widened_state(ckpt["state"], net.state_dict())
    net.load_state_dict(state)
    # The wide network must compute what the narrow one did.
    narrow = um.VocalUNet(ckpt["channels"], context, masks, fine, sets)
    narrow.load_state_dict(ckpt["state"])
    x = torch.randn(1, um.N_FEAT, 64, um.N_ROWS)
    with torch.no_grad():
        narrow.eval()
        net.eval()
        diff = float((narrow(x) - net(x)).abs().max())
    if diff > 1e-5:
        sys.exit(f"widen.py: the widened network differs by {diff}")
    saved = {k: v for k, v in ckpt.items() if k not in ("state", "channels", "sharpness")}
    saved.update(channels=channels, state=state)
    torch.save(saved, args.out)
    print(f"{sum(p.numel() for p in net.parameters())} parameters, max difference {diff:.1e}")


if __name__ == "__main__":
    sys.exit(main())
