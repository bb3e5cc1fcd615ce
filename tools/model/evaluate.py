#!/usr/bin/python3
"""Whole-track SDR of an exported separation model on the validation stems.

SDR = 10 log10(|s|^2 / |s - s_hat|^2) over the whole track and all channels,
for vocals and accompaniment, per song and the mean. Every sixth song is
given to the model as a mono mixdown. Songs without a voice get no vocals SDR
(it is undefined there).

"kept" and "leak" project the vocal estimate onto the true stems (least squares,
v_hat ~ kept * vocals + leak * accompaniment): a timid model keeps too little of
the voice, a loose one lets the accompaniment in. Where the set keeps the lead
alone in DATA/lead/ (gen_data.py --backing always), "lead" and "backing" split
what is kept between the lead and the backing vocals.

Usage:
    /usr/bin/python3 tools/model/evaluate.py MODEL.torchscript [--data /tmp/sepdata/val]
"""

import argparse
import math
import os
import sys
import time

import numpy as np
import torch

from train import item_files, keep_freed_blocks

VOCALS = "strided_slice_13"
ACCOMP = "strided_slice_23"


def sdr(ref: np.ndarray, est: np.ndarray) -> float:
    num = float((ref.astype(np.float64) ** 2).sum())
    den = float(((ref.astype(np.float64) - est) ** 2).sum())
    return 10.0 * math.log10((num + 1e-12) / (den + 1e-12))


def projection(est: np.ndarray, *stems: np.ndarray):
    """Least-squares weights of the true stems in est (kept, leak for vocals, accompaniment)."""
    basis = np.stack([s.ravel() for s in stems], 1).astype(np.float64)
    weights, *_ = np.linalg.lstsq(basis, est.ravel().astype(np.float64), rcond=None)
    return tuple(float(w) for w in weights)


def lead_of(path: str, mono: bool):
    """The lead vocal alone, where the set keeps it (DATA/lead/NNNNN.npy), else None."""
    side = os.path.join(os.path.dirname(path), "lead", os.path.basename(path))
    if not os.path.exists(side):
        return None
    lead = np.load(side).astype(np.float32)
    return lead.mean(0, keepdims=True) if mono else lead


def songs(data_dir: str):
    """(file, mono, vocals, accompaniment) per validation item; every sixth as a mono mixdown."""
    for k, f in enumerate(item_files(data_dir)):
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
    keep_freed_blocks()
    torch.set_num_threads(args.threads)
    model = torch.jit.load(args.model)
    sv, sa, kept, leak, split = [], [], [], [], []
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
        k_v, l_a = projection(v_hat, voc, acc) if voiced else (float("nan"), float("nan"))
        if voiced:
            sv.append(s_v)
            kept.append(k_v)
            leak.append(l_a)
        sa.append(s_a)
        lead = lead_of(f, mono) if voiced else None
        extra = ""
        if lead is not None:
            k_l, k_b, _ = projection(v_hat, lead, voc - lead, acc)
            split.append((k_l, k_b))
            extra = f"  lead {k_l:5.2f}  backing {k_b:5.2f}"
        print(f"{os.path.basename(f)} {'mono  ' if mono else 'stereo'} vocals {s_v:6.2f} dB"
              f"  accompaniment {s_a:6.2f} dB  kept {k_v:5.2f}  leak {l_a:5.2f}{extra}", flush=True)
    if not sa:
        print("no validation items in", args.data)
        return 1
    print(f"mean over {len(sa)} songs ({len(sv)} with voice): vocals {np.mean(sv):.2f} dB"
          f"  accompaniment {np.mean(sa):.2f} dB  kept {np.mean(kept):.2f}  leak {np.mean(leak):.3f}"
          f"  (serve time {t_run:.1f}s)")
    if split:
        print(f"lead kept {np.mean([k for k, _ in split]):.2f}, backing kept "
              f"{np.mean([b for _, b in split]):.2f} over {len(split)} songs with backing vocals")
    return 0


if __name__ == "__main__":
    sys.exit(main())
