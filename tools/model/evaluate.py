#!/usr/bin/python3
"""Whole-track SDR of an exported separation model on the validation stems.

SDR = 10 log10(|s|^2 / |s - s_hat|^2) over the whole track and all channels,
for vocals and accompaniment, per song and the mean. Every sixth song is
given to the model as a mono mixdown. Songs without a voice get no vocals SDR
(it is undefined there).

"kept" and "leak" project the vocal estimate onto the true stems (least squares,
v_hat ~ kept * vocals + leak * accompaniment): a timid model keeps too little of
the voice, a loose one lets the accompaniment in.

Usage:
    /usr/bin/python3 tools/model/evaluate.py MODEL.torchscript [--data /tmp/sepdata/val]
"""

import argparse
import glob
import math
import os
import sys
import time

import numpy as np
import torch

VOCALS = "strided_slice_13"
ACCOMP = "strided_slice_23"


def sdr(ref: np.ndarray, est: np.ndarray) -> float:
    num = float((ref.astype(np.float64) ** 2).sum())
    den = float(((ref.astype(np.float64) - est) ** 2).sum())
    return 10.0 * math.log10((num + 1e-12) / (den + 1e-12))


def projection(voc: np.ndarray, acc: np.ndarray, est: np.ndarray):
    """(kept, leak): least-squares weights of the true vocals and accompaniment in est."""
    basis = np.stack([voc.ravel(), acc.ravel()], 1).astype(np.float64)
    weights, *_ = np.linalg.lstsq(basis, est.ravel().astype(np.float64), rcond=None)
    return float(weights[0]), float(weights[1])


def songs(data_dir: str):
    """(file, mono, vocals, accompaniment) per validation item; every sixth as a mono mixdown."""
    files = [f for f in sorted(glob.glob(os.path.join(data_dir, "*.npy"))) if ".tmp" not in f]
    for k, f in enumerate(files):
        item = np.load(f).astype(np.float32)  # [2 stems, 2 channels, N]
        voc, acc = item[0], item[1]
        mono = k % 6 == 5
        if mono:
            voc = voc.mean(0, keepdims=True)
            acc = acc.mean(0, keepdims=True)
        yield f, mono, voc, acc


def has_voice(voc: np.ndarray) -> bool:
    return float((voc ** 2).mean()) > 1e-8


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("model")
    ap.add_argument("--data", default="/tmp/sepdata/val")
    ap.add_argument("--threads", type=int, default=2)
    args = ap.parse_args()
    torch.set_num_threads(args.threads)
    model = torch.jit.load(args.model)
    sv, sa, kept, leak = [], [], [], []
    t_run = 0.0
    for f, mono, voc, acc in songs(args.data):
        mix = voc + acc
        t0 = time.perf_counter()
        with torch.inference_mode():
            out = model.serve(torch.from_numpy(np.ascontiguousarray(mix.T)))
        t_run += time.perf_counter() - t0
        v_hat = out[VOCALS].numpy().T
        a_hat = out[ACCOMP].numpy().T
        voiced = has_voice(voc)
        s_v = sdr(voc, v_hat) if voiced else float("nan")
        s_a = sdr(acc, a_hat)
        k_v, l_a = projection(voc, acc, v_hat) if voiced else (float("nan"), float("nan"))
        if voiced:
            sv.append(s_v)
            kept.append(k_v)
            leak.append(l_a)
        sa.append(s_a)
        print(f"{os.path.basename(f)} {'mono  ' if mono else 'stereo'} vocals {s_v:6.2f} dB"
              f"  accompaniment {s_a:6.2f} dB  kept {k_v:5.2f}  leak {l_a:5.2f}", flush=True)
    if not sa:
        print("no validation items in", args.data)
        return 1
    print(f"mean over {len(sa)} songs ({len(sv)} with voice): vocals {np.mean(sv):.2f} dB"
          f"  accompaniment {np.mean(sa):.2f} dB  kept {np.mean(kept):.2f}  leak {np.mean(leak):.3f}"
          f"  (serve time {t_run:.1f}s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
