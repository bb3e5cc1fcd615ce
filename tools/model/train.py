#!/usr/bin/python3
"""Train the U-Net vocal mask on stems made by gen_data.py (CPU, 2 threads).

Stems are re-paired across songs with random gains, channel swaps and mono
mixdowns, so every step sees a new mixture.

Usage:
    nice -n 15 /usr/bin/python3 tools/model/train.py --data /tmp/sepdata/train \
        --minutes 40 --out tools/model/weights/vocals_unet.pt
"""

import argparse
import ctypes
import glob
import math
import os
import sys
import time
import warnings

import numpy as np
import scipy.signal as sps
import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unet_model as um  # noqa: E402

# The shipped network; a checkpoint given to --init brings its own.
CHANNELS = "8,16,48,96,128"
CONTEXT = [1, 2, 4, 8]


def keep_freed_blocks():
    """glibc unmaps a freed block of tens of MB at once, so every step faulted its buffers in
    again: a third of the training time went to the kernel. They stay in the heap instead."""
    try:
        libc = ctypes.CDLL("libc.so.6")
    except OSError:
        return  # not glibc: nothing to tune
    libc.mallopt(-4, 0)  # M_MMAP_MAX
    libc.mallopt(-1, 2**31 - 1)  # M_TRIM_THRESHOLD


def item_files(data_dir):
    """The finished items (gen_data.py writes each to a .tmp file first)."""
    return [f for f in sorted(glob.glob(os.path.join(data_dir, "*.npy"))) if ".tmp" not in f]


def load_items(files, device):
    """Stems as float16 tensors [2, 2, N], on the device that trains.

    On a CPU they stay memory-mapped: runs side by side share one copy in the page cache.
    """
    if device.type != "cpu":
        return [torch.from_numpy(np.load(f)).to(device) for f in files]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", UserWarning)  # read-only arrays: only ever read
        return [torch.from_numpy(np.load(f, mmap_mode="r")) for f in files]


# Resampling ratios (up, down) near 1: about 2, 1.1, 1, 0.7 and 0.5 semitones.
WARPS = [(8, 9), (15, 16), (17, 18), (24, 25), (32, 33)]
RESAMPLE_PAD = 256  # resample_poly's edges are zero-padded: cut them off


def pick_warp(rng, warp):
    """A resampling ratio for a share `warp` of the stems, else None."""
    if rng.random() >= warp:
        return None
    up, down = WARPS[rng.integers(len(WARPS))]
    return (up, down) if rng.random() < 0.5 else (down, up)


def span(length, ratio=None):
    """Samples of a stem that one [2, length] slice needs, resampled by ratio or not."""
    if ratio is None:
        return length
    up, down = ratio
    return -(-(length + 2 * RESAMPLE_PAD) * down // up)


def take(rng, item, stem, length, ratio=None, start=None):
    """A [2, length] float slice of one stem of an item [2, 2, N], from `start` or a random
    place.

    With a ratio, the slice is resampled by it: pitch, formants and tempo move together,
    which makes a recorded speaker a new singer (and an arrangement a new one) at no
    cost in data.
    """
    need = span(length, ratio)
    s = rng.integers(0, item.shape[2] - need) if start is None else start
    if ratio is None:
        return item[stem, :, s : s + length].float()
    up, down = ratio
    x = sps.resample_poly(item[stem, :, s : s + need].float().cpu().numpy(), up, down, axis=1)
    pad = RESAMPLE_PAD
    return torch.from_numpy(x[:, pad : pad + length].astype(np.float32)).to(item.device)


def batch(rng, items, bsz, frames, stack, layers=0.0, warp=0.0, coherent=0.0):
    length = (frames - 1) * um.HOP
    mixes, voices = [], []
    for _ in range(bsz):
        i = rng.integers(len(items))
        if coherent > 0 and rng.random() < coherent:
            # The voice over its own song, in time: on records it sings the chords' notes
            # on the beat, and re-paired stems never teach that. (No draw without it, so a
            # seed gives the examples it gave before.)
            rv = pick_warp(rng, warp)
            s = rng.integers(0, items[i].shape[2] - span(length, rv))
            v = take(rng, items[i], 0, length, rv, s)
            a = take(rng, items[i], 1, length, rv, s)
        else:
            j = i if rng.random() < 0.25 else rng.integers(len(items))
            rv = pick_warp(rng, warp)
            ra = rv if j == i else pick_warp(rng, warp)  # one song stays in one key
            v = take(rng, items[i], 0, length, rv)
            a = take(rng, items[j], 1, length, ra)
        if rng.random() < stack:
            # A second singer under the first: stacked voices all belong to the vocal stem,
            # which is where the model is most timid on real records.
            v2 = take(rng, items[rng.integers(len(items))], 0, length, pick_warp(rng, warp))
            v = v + v2 * 10 ** (rng.uniform(-12, -2) / 20)
        if rng.random() < layers:
            # Records are denser than one generated accompaniment: a second one under it.
            a2 = take(rng, items[rng.integers(len(items))], 1, length, pick_warp(rng, warp))
            a = a + (a2.flip(0) if rng.random() < 0.5 else a2) * 10 ** (rng.uniform(-8, 0) / 20)
        v = v * 10 ** (rng.uniform(-10, 5) / 20)
        if rng.random() < 0.04:
            v = v * 0.0
        if rng.random() < 0.5:
            v = v.flip(0)
        if rng.random() < 0.5:
            a = a.flip(0)
        g = 10 ** (rng.uniform(-18, 12) / 20)
        v, a = v * g, a * g
        if rng.random() < 0.15:  # mono record: both channels identical
            v = v.mean(0, keepdim=True).expand(2, -1)
            a = a.mean(0, keepdim=True).expand(2, -1)
        voices.append(v)
        mixes.append(v + a)
    return torch.stack(mixes), torch.stack(voices)


def stft(x, window):
    # x: [B, 2, L] -> complex [B, 2, T, F]
    b, c, n = x.shape
    s = torch.stft(x.reshape(b * c, n), um.N_FFT, um.HOP, um.N_FFT, window, True, "constant",
                   False, True, True)
    return s.reshape(b, c, s.shape[1], s.shape[2]).transpose(2, 3)


def random_eq(rng, bsz):
    """Per-example gain curve over the STFT bins: tilt and shelves, as mastering varies.

    The same curve goes on the mix and the voice, so they stay additive.
    """
    f = np.maximum(np.arange(um.N_BINS) * um.SAMPLE_RATE / um.N_FFT, 20.0)
    octaves = np.log2(f / 1000.0)
    curves = []
    for _ in range(bsz):
        if rng.random() < 0.5:
            curves.append(np.ones_like(f))
            continue
        db = rng.uniform(-1.5, 1.5) * octaves
        db += rng.uniform(-5, 5) / (1 + (f / rng.uniform(80, 250)) ** 2)  # low shelf
        db += rng.uniform(-4, 4) / (1 + (rng.uniform(4000, 10000) / f) ** 2)  # high shelf
        curves.append(10 ** (db / 20))
    return torch.from_numpy(np.stack(curves).astype(np.float32))[:, None, None, :]


def l1_loss(xs, vs, mask, rows):
    """Absolute error of both stems' complex spectra [B, 2, T, F], scaled per example.

    mask: [B, M, T, N_ROWS], one mask for both channels (M = 1) or one per channel.

    The accompaniment's error is the voice's, negated: one term, counted twice.
    """
    est = xs * mask.index_select(3, rows)
    scale = xs.abs().mean(dim=(1, 2, 3), keepdim=True) + 1e-6
    return 2.0 * (torch.view_as_real(est - vs).abs().sum(-1) / scale).mean()


def row_sums(t):
    """[..., N_BINS] -> float64 [..., N_ROWS]: each row's bins summed (layout of BANDS)."""
    lead = t.shape[:-1]
    rows = [t[..., s : s + w * n].reshape(lead + (n, w)).sum(-1) for s, w, n in um.BANDS]
    rows[-1][..., -1] += t[..., -1]  # the last bin takes the last row's mask
    return torch.cat(rows, -1).double()


def sdr_loss(xs, vs, mask):
    """The mean of both stems' SDR per example, negated, in dB ([B, M, T, N_ROWS] masks).

    With one mask value m per row and channel, the voice's squared error over the row's
    bins is m^2 A - 2 m B + C, where A = sum |x|^2, B = sum Re(conj(x) v), C = sum |v|^2:
    summed per row outside autograd, the loss never touches the full spectra inside it.
    """
    with torch.no_grad():
        xr = torch.view_as_real(xs)
        vr = torch.view_as_real(vs)
        a = row_sums((xr * xr).sum(-1))
        b = row_sums((xr * vr).sum(-1))
        c = row_sums((vr * vr).sum(-1))
        # The accompaniment's energy, |x - v|^2 summed, without forming x - v.
        acc = (a - 2.0 * b + c).sum((1, 2, 3))
        # The floor keeps a silent stem from dominating: 30 dB under the mixture.
        floor = 1e-3 * a.sum((1, 2, 3)) + 1e-8
        voc = c.sum((1, 2, 3))
    m = mask.double()
    err = (m * (m * a - 2.0 * b) + c).sum((1, 2, 3)).clamp_min(0.0)
    return (5.0 * (torch.log10((err + floor) / (voc + floor))
                   + torch.log10((err + floor) / (acc + floor)))).mean()


def mask_loss(kind, xs, vs, mask, rows):
    """The training loss of a batch of complex spectra [B, 2, T, F] and masks [B, M, T, N_ROWS].

    "l1": absolute error of both stems. "sdr": the mean of both stems' signal-to-distortion
    ratios (negated, in dB), as the evaluation scores them; squared error favours the softer
    masks that score better than L1's.
    """
    if kind == "l1":
        return l1_loss(xs, vs, mask, rows)
    return sdr_loss(xs, vs, mask)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--data", default="/tmp/sepdata/train")
    ap.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "weights",
                                                  "vocals_unet.pt"))
    ap.add_argument("--minutes", type=float, default=40.0)
    ap.add_argument("--batch", type=int, default=8)
    ap.add_argument("--frames", type=int, default=256)
    ap.add_argument("--lr", type=float, default=2e-3)
    ap.add_argument("--seed", type=int, default=0)
    ap.add_argument("--threads", type=int, default=2)
    ap.add_argument("--init", default=None, help="checkpoint to start from")
    ap.add_argument("--channels", default=CHANNELS,
                    help="channels of the five levels (a checkpoint given to --init brings its own)")
    ap.add_argument("--context", default=None,
                    help="dilations of the time context at the bottleneck, e.g. 1,2,4,8 "
                         "(default: those of the --init checkpoint, else 1,2,4,8)")
    ap.add_argument("--masks", type=int, choices=(1, 2), default=None,
                    help="1: one mask for both channels; 2: one per channel (default: as the "
                         "--init checkpoint has, else 1; a one-mask checkpoint starts both "
                         "masks from its own)")
    ap.add_argument("--fine", type=int, default=None,
                    help="width of full-resolution layers over the rows below ~2.4 kHz (default: "
                         "as the --init checkpoint has, else none; they start as the identity)")
    ap.add_argument("--fine-sets", type=int, choices=range(1, len(um.FINE_SPANS) + 1), default=None,
                    help="1: fine layers below ~2.4 kHz; 2: also a second set up to ~9.6 kHz "
                         "(default: as the --init checkpoint has, else 1)")
    ap.add_argument("--freeze", action="store_true",
                    help="train only those layers; the rest keeps its weights and statistics")
    ap.add_argument("--stack", type=float, default=0.0,
                    help="share of the voices that get a second song's voice under them")
    ap.add_argument("--layers", type=float, default=0.0,
                    help="share of examples with a second accompaniment under the first")
    ap.add_argument("--warp", type=float, default=0.0,
                    help="share of the stems resampled by up to 2 semitones (new singers, "
                         "new keys)")
    ap.add_argument("--coherent", type=float, default=0.0,
                    help="share of examples that keep a song's voice and accompaniment "
                         "together, in time (the rest re-pair stems across songs)")
    ap.add_argument("--loss", choices=("l1", "sdr"), default="l1")
    ap.add_argument("--keep-every", type=int, default=0,
                    help="also keep a copy of the weights every N steps (OUT.stepN)")
    ap.add_argument("--ema", type=float, default=0.0,
                    help="also keep an exponential moving average of the weights in OUT.ema "
                         "(decay per step, e.g. 0.999): it swings less between copies than "
                         "the weights themselves")
    ap.add_argument("--device", default="cpu", help="where to train, e.g. cuda on a GPU machine")
    ap.add_argument("--bf16", action="store_true",
                    help="bfloat16 convolutions in channels-last layout (about 3x faster on a CPU "
                         "with AVX-512 bf16; the loss and the weights stay float32)")
    args = ap.parse_args()
    keep_freed_blocks()
    torch.set_num_threads(args.threads)
    torch.manual_seed(args.seed)
    rng = np.random.default_rng(args.seed)
    t_load = time.time()
    device = torch.device(args.device)
    if device.type == "cuda":
        torch.backends.cudnn.benchmark = True
        torch.backends.cuda.matmul.allow_tf32 = True
        torch.backends.cudnn.allow_tf32 = True
    files = item_files(args.data)
    items = load_items(files, device)
    print(f"{len(items)} items loaded in {time.time() - t_load:.0f}s", flush=True)
    init = torch.load(args.init, map_location="cpu", weights_only=False) if args.init else None
    if args.context is not None:
        context = [int(d) for d in args.context.split(",") if d]
    else:
        context = list(init.get("context", [])) if init else list(CONTEXT)
    channels = init["channels"] if init else [int(c) for c in args.channels.split(",")]
    init_masks = um.mask_count(init["state"]) if init else 1
    masks = args.masks or init_masks
    if init and init_masks != masks:
        if init_masks != 1:
            sys.exit(f"train.py: {args.init} has per-channel masks already")
        for k in list(init["state"]):
            if k in ("out.weight", "out.bias") or (k.startswith("fine.") and ".out." in k):
                init["state"][k] = init["state"][k].repeat_interleave(masks, 0)
    fine = args.fine if args.fine is not None else (um.fine_width(init["state"]) if init else 0)
    # At least one set where --fine adds layers to a checkpoint without them.
    sets = args.fine_sets or max(1, um.fine_sets(init["state"]) if init else 0)
    net = um.VocalUNet(channels, context, masks, fine, sets)
    print("parameters:", sum(p.numel() for p in net.parameters()), flush=True)
    if init:
        # A checkpoint without the time context loads into a network with one: the context
        # starts as the identity.
        missing = net.load_state_dict(init["state"], strict=False)
        unknown = [k for k in missing.missing_keys if not k.startswith(("ctx.", "fine."))]
        if unknown or missing.unexpected_keys:
            sys.exit(f"train.py: {args.init} does not fit: {unknown + missing.unexpected_keys}")
        print("started from", args.init, flush=True)
    net.to(device)
    if args.bf16:
        net.to(memory_format=torch.channels_last)
    if args.freeze:
        if not fine:
            sys.exit("train.py: --freeze trains the --fine layers alone; there are none")
        for name, p in net.named_parameters():
            p.requires_grad_(name.startswith("fine."))
        for name, mod in net.named_children():
            if name != "fine":
                mod.eval()  # running statistics stay as trained
    trained = [p for p in net.parameters() if p.requires_grad]
    opt = torch.optim.Adam(trained, lr=args.lr)
    window = torch.hann_window(um.N_FFT, periodic=True, device=device)
    rows = um.row_index().to(device)
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    budget = args.minutes * 60.0
    t0 = time.time()
    step = 0
    avg = None
    last_save = t0
    ema = {k: v.detach().float().clone() for k, v in net.state_dict().items()} \
        if args.ema else None

    def keep(suffix=""):
        save(net.state_dict(), channels, context, args.out + suffix, step, time.time() - t0)
        if ema is not None:
            save(ema, channels, context, args.out + ".ema" + suffix, step, time.time() - t0)

    while True:
        frac = (time.time() - t0) / budget
        if frac >= 1.0:
            break
        # Short warm-up, then cosine decay over the wall-clock budget.
        lr = args.lr * min(1.0, (step + 1) / 50) * (0.05 + 0.95 * 0.5 * (1 + math.cos(math.pi * frac)))
        for gp in opt.param_groups:
            gp["lr"] = lr
        if step % 150 == 0 and step > 0:
            # gen_data.py (or an unpacked shard) may still be adding items: pick up new ones.
            known = set(files)
            new = [f for f in item_files(args.data) if f not in known]
            if new:
                files += new
                items += load_items(new, device)
                print(f"{len(items)} items now", flush=True)
        mix, voice = batch(rng, items, args.batch, args.frames, args.stack, args.layers,
                           args.warp, args.coherent)
        with torch.no_grad():
            eqc = random_eq(rng, args.batch).to(device)
            xs = stft(mix, window) * eqc
            vs = stft(voice, window) * eqc
            feat = um.features(xs)
        if args.bf16:
            with torch.autocast(device.type, dtype=torch.bfloat16):
                cl = feat.contiguous(memory_format=torch.channels_last)
                mask = forward(net, cl, args.freeze)
            mask = mask.float()
        else:
            mask = forward(net, feat, args.freeze)
        loss = mask_loss(args.loss, xs, vs, mask, rows)
        opt.zero_grad()
        if not torch.isfinite(loss):
            print(f"step {step}: non-finite loss, batch skipped", flush=True)
            continue
        loss.backward()
        torch.nn.utils.clip_grad_norm_(trained, 5.0)
        opt.step()
        if ema is not None:
            with torch.no_grad():
                for k, v in net.state_dict().items():
                    if v.dtype.is_floating_point:
                        ema[k].lerp_(v.float(), 1.0 - args.ema)
                    else:
                        ema[k].copy_(v)
        step += 1
        avg = loss.item() if avg is None else 0.98 * avg + 0.02 * loss.item()
        if step % 25 == 0:
            print(f"step {step} loss {avg:.4f} lr {lr:.2e} elapsed {time.time() - t0:.0f}s",
                  flush=True)
        if step % 100 == 0 and time.time() - last_save > 30:
            keep()
            last_save = time.time()
        if args.keep_every and step % args.keep_every == 0:
            keep(f".step{step}")
    keep()
    print(f"done: {step} steps in {time.time() - t0:.0f}s", flush=True)


def forward(net, feat, frozen):
    """The masks; with the trunk frozen it runs without autograd (a third of the time)."""
    if not frozen:
        return net(feat)
    with torch.no_grad():
        h, logit = net.trunk(feat)
    return net.refine(feat, h, logit)


def save(weights, channels, context, path, step, seconds):
    state = {k: v.detach().cpu().clone() for k, v in weights.items()}
    if not all(bool(torch.isfinite(v.float()).all()) for v in state.values()):
        print(f"step {step}: non-finite weights, not saved", flush=True)
        return
    torch.save({"channels": channels, "context": context, "state": state, "steps": step,
                "seconds": seconds},
               path + ".tmp")
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    sys.exit(main())
