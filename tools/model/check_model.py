#!/usr/bin/python3
"""Self-check of an exported separation model.

Usage:
    /usr/bin/python3 tools/model/check_model.py models/saved_model.torchscript
"""

import math
import sys
from typing import Dict

import torch
from torch import Tensor

SR = 44100
VOCALS = "strided_slice_13"
ACCOMP = "strided_slice_23"


def run(model: torch.jit.ScriptModule, x: Tensor) -> Dict[str, Tensor]:
    with torch.inference_mode():
        out = model.serve(x)
    assert set(out.keys()) == {VOCALS, ACCOMP}, out.keys()
    return out


def check_basic(model: torch.jit.ScriptModule, x: Tensor, label: str) -> None:
    out = run(model, x)
    v, a = out[VOCALS], out[ACCOMP]
    for name, t in ((VOCALS, v), (ACCOMP, a)):
        assert t.shape == x.shape, f"{label}: {name} shape {tuple(t.shape)} != {tuple(x.shape)}"
        assert t.dtype == torch.float32, f"{label}: {name} dtype {t.dtype}"
        assert t.is_contiguous(), f"{label}: {name} not contiguous"
        assert bool(torch.isfinite(t).all()), f"{label}: {name} has NaN/Inf"
    if x.numel() > 0:
        err = (v + a - x).abs().max().item()
        assert err <= 1e-4, f"{label}: stems do not add up (max err {err})"
    print(f"ok  {label}: shape {tuple(x.shape)}")


def synthetic_song(seconds: float = 8.0):
    """Centred vibrato 'voice' plus hard-panned accompaniment (chords left, drums right)."""
    n = int(seconds * SR)
    t = torch.arange(n, dtype=torch.float64) / SR
    g = torch.Generator().manual_seed(1234)
    # Voice: 220 Hz with 5.5 Hz vibrato, 12 harmonics, syllable-like envelope.
    f0 = 220.0 * (1.0 + 0.03 * torch.sin(2 * math.pi * 5.5 * t))
    phase = 2 * math.pi * torch.cumsum(f0, 0) / SR
    voice = sum(torch.sin(k * phase) / k for k in range(1, 13))
    voice = voice * (0.6 + 0.4 * torch.sin(2 * math.pi * 1.3 * t).abs()) * 0.25
    # Left: sustained chord of harmonic tones.
    left = sum(sum(torch.sin(2 * math.pi * f * k * t) / (k * k) for k in range(1, 6))
               for f in (130.81, 164.81, 196.0, 261.63)) * 0.12
    # Right: decaying noise bursts every 250 ms plus a plucked bass-ish tone.
    beat = (t % 0.25)
    right = torch.randn(n, generator=g, dtype=torch.float64) * torch.exp(-beat * 30.0) * 0.3
    right = right + torch.sin(2 * math.pi * 98.0 * t) * torch.exp(-(t % 0.5) * 6.0) * 0.2
    zeros = torch.zeros(n, dtype=torch.float64)
    voice_st = torch.stack([voice, voice], 1)
    acc_st = torch.stack([left, zeros], 1) + torch.stack([zeros, right], 1)
    mix = voice_st + acc_st
    return mix.float(), voice_st.float(), acc_st.float()


def corr(a: Tensor, b: Tensor) -> float:
    a = a.double().flatten()
    b = b.double().flatten()
    a = a - a.mean()
    b = b - b.mean()
    return float((a * b).sum() / (a.norm() * b.norm() + 1e-12))


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    torch.set_num_threads(2)
    model = torch.jit.load(sys.argv[1])
    g = torch.Generator().manual_seed(7)

    for frames in (0, 1, 100, 5000, 3 * SR + 123):
        for ch in (2, 1):
            x = torch.randn(frames, ch, generator=g) * 0.3
            check_basic(model, x, f"{ch}-channel, {frames} frames")
    check_basic(model, torch.randn(20000, 3, generator=g) * 0.3, "3-channel")
    # Longer than one processing segment, so segment joins are exercised.
    check_basic(model, torch.randn(30 * SR, 2, generator=g) * 0.3, "stereo 30 s")

    for ch in (2, 1):
        for frames in (0, 1, 5000, 2 * SR):
            z = torch.zeros(frames, ch)
            v = run(model, z)[VOCALS]
            peak = v.abs().max().item() if v.numel() else 0.0
            assert peak < 1e-6, f"silence in gave {peak} out"
    print("ok  silence in -> silence out")

    bad = torch.randn(3 * SR, 2, generator=g) * 0.3
    bad[1000:1010, 0] = float("nan")
    bad[5000, 1] = float("inf")
    bad[6000, 0] = 1e30
    v = run(model, bad)[VOCALS]
    assert bool(torch.isfinite(v).all()), "non-finite input leaked NaN/Inf into the vocals"
    print("ok  non-finite input gives finite vocals")

    x = torch.randn(100000, 2, generator=g) * 0.3
    v1 = run(model, x)[VOCALS]
    v2 = run(model, x.t().contiguous().t())[VOCALS]  # non-contiguous input
    assert (v1 - v2).abs().max().item() < 1e-6, "result depends on input memory layout"
    print("ok  non-contiguous input")

    mix, voice, acc = synthetic_song()
    out = run(model, mix)
    v, a = out[VOCALS], out[ACCOMP]
    cv, ca = corr(v, voice), corr(v, acc)
    av, aa = corr(a, voice), corr(a, acc)
    print(f"    synthetic: corr(vocals, voice)={cv:.3f} corr(vocals, accomp)={ca:.3f}")
    print(f"    synthetic: corr(accomp stem, voice)={av:.3f} corr(accomp stem, accomp)={aa:.3f}")
    assert cv > ca, "vocal stem is closer to the accompaniment than to the voice"
    assert aa > av, "accompaniment stem is closer to the voice than to the accompaniment"
    print("ok  synthetic stereo separation")

    mono = mix.mean(1, keepdim=True)
    check_basic(model, mono, "synthetic mono")
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
