#!/usr/bin/python3
"""Export the vocal/accompaniment separation model as a TorchScript file.

Two models, both scripted so the C++ engine can load them with libtorch
(torch.jit.load) and call `serve`:
- "dsp": no trained weights; a soft time-frequency mask for the voice from
  fixed signal cues (the first model, kept as a fallback);
- "unet": the small trained U-Net of unet_model.py with the weights committed
  in weights/vocals_unet.pt (made by train.py).

Usage:
    /usr/bin/python3 tools/model/export_model.py --out models/saved_model.torchscript [--model dsp|unet]
"""

import argparse
import math
import os
import sys
from typing import Optional

import torch
import torch.nn.functional as F
from torch import Tensor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from segmented import SegmentedSeparator  # noqa: E402

SAMPLE_RATE = 44100
N_FFT = 4096
HOP = 1024  # n_fft / 4: the overlap-add below relies on exactly four frames per window
SEGMENT_HOPS = 512  # ~11.9 s of audio per segment keeps working memory flat
MARGIN_HOPS = 20  # ~0.46 s context per side, wider than everything a mask value depends on
TIME_KERNEL = 17  # ~0.4 s: sustained (voiced) partials survive averaging along time
FREQ_KERNEL = 33  # ~350 Hz: spans the gaps between voice partials; broadband hits survive it
MONO_SCALE = 0.7  # without a spatial cue, never claim the whole mix for the voice
EPS = 1e-20  # tiny, so quiet passages keep the same mask as loud ones
INPUT_LIMIT = 1.0e4  # keeps squared STFT magnitudes far from float32 overflow


def voice_band_weight(n_fft: int, sample_rate: int) -> Tensor:
    """Smooth per-bin weight: 0 in the bass, 1 across the voice band, 0 above ~11 kHz."""
    k = torch.arange(n_fft // 2 + 1, dtype=torch.float64)
    f = k * sample_rate / n_fft

    def rise(lo: float, hi: float) -> Tensor:
        t = ((f - lo) / (hi - lo)).clamp(0.0, 1.0)
        return 0.5 - 0.5 * torch.cos(math.pi * t)

    # Kick and bass live below ~120 Hz; sibilance fades out between 5.5 and 11 kHz.
    w = rise(90.0, 220.0) * (1.0 - rise(5500.0, 11000.0))
    nz = torch.nonzero(w > 0).flatten()
    last = int(nz[-1].item()) + 1
    return w[:last].to(torch.float32)


class VocalSeparator(SegmentedSeparator):
    def __init__(self) -> None:
        super().__init__(SEGMENT_HOPS * HOP, MARGIN_HOPS * HOP, INPUT_LIMIT)
        self.n_fft = N_FFT
        self.hop = HOP
        self.time_kernel = TIME_KERNEL
        self.freq_kernel = FREQ_KERNEL
        self.mono_scale = MONO_SCALE
        self.eps = EPS
        window = torch.hann_window(N_FFT, periodic=True, dtype=torch.float32)
        self.register_buffer("window", window)
        # Synthesis window split into its four hop-sized quarters for the overlap-add.
        self.register_buffer("window_quarters", window.reshape(4, HOP).clone())
        self.register_buffer("window_sq_quarters", (window * window).reshape(4, HOP).clone())
        band = voice_band_weight(N_FFT, SAMPLE_RATE)
        # Bins above the band always get mask 0, so they are never computed at all.
        self.n_bins = int(band.numel())
        self.register_buffer("band", band)

    def _box_sum(self, x: Tensor, k: int, dim: int) -> Tensor:
        # Sum over a centred window of k (odd) values along dim of a 2-D tensor, zeros
        # outside. Built from power-of-two partial sums: a handful of cheap adds instead
        # of avg_pool, which is many times slower here and dominated the run time.
        h = k // 2
        n = x.size(dim)
        if dim == 0:
            s = F.pad(x, [0, 0, h, h])
        else:
            s = F.pad(x, [h, h])
        res = torch.zeros_like(x)
        off = 0
        w = 1
        kk = k
        while kk > 0:
            if kk % 2 == 1:
                res.add_(s.narrow(dim, off, n))
                off += w
            kk = kk // 2
            if kk > 0:
                m = s.size(dim) - w
                s = s.narrow(dim, 0, m) + s.narrow(dim, w, m)
                w *= 2
        return res

    def _box_count(self, n: int, k: int) -> Tensor:
        # How many real (non-padding) values each window of _box_sum covers.
        h = k // 2
        i = torch.arange(n)
        hi = torch.clamp(i + h, max=n - 1)
        lo = torch.clamp(i - h, min=0)
        return (hi - lo + 1).to(torch.float32)

    def _smooth_time(self, x: Tensor) -> Tensor:
        # x: [T, F]; a true mean at the edges keeps the song's start and end unbiased.
        k = self.time_kernel
        return self._box_sum(x, k, 0) / self._box_count(x.size(0), k).unsqueeze(1)

    def _smooth_freq(self, x: Tensor) -> Tensor:
        k = self.freq_kernel
        return self._box_sum(x, k, 1) / self._box_count(x.size(1), k)

    def _harmonic_mask(self, power: Tensor) -> Tensor:
        # Soft harmonic/percussive split: voice partials are horizontal ridges in time.
        mag = torch.sqrt(power)
        h = self._smooth_time(mag)
        p = self._smooth_freq(mag)
        h2 = h * h
        return h2 / (h2 + p * p + self.eps)

    def _mask(self, stft_bins: Tensor) -> Tensor:
        # stft_bins: complex [C, T, F] (F = self.n_bins); returns a real mask [T, F] in [0, 1].
        if stft_bins.size(0) >= 2:
            left = stft_bins[0]
            right = stft_bins[1]
            mid = left + right
            side = left - right
            pm = mid.real * mid.real + mid.imag * mid.imag
            ps = side.real * side.real + side.imag * side.imag
            # A little local averaging turns per-bin level ratios into a phase-coherence
            # cue, which is what separates a centred voice from wide or panned parts.
            # Plain 3x3 sums suffice: the ratio below does not care about the scale.
            spm = self._box_sum(self._box_sum(pm, 3, 0), 3, 1)
            sps = self._box_sum(self._box_sum(ps, 3, 0), 3, 1)
            # Equals 2 Re(L conj R) / (|L|^2 + |R|^2): 1 for a centred source, <= 0 when panned.
            sim = ((spm - sps) / (spm + sps + self.eps)).clamp(0.0, 1.0)
            # Sixth power (by multiplication, cheaper than pow) sharpens the cue so
            # slightly panned parts drop out fast.
            sim2 = sim * sim
            mask = sim2 * sim2 * sim2 * self._harmonic_mask(pm)
        else:
            mono = stft_bins[0]
            pw = mono.real * mono.real + mono.imag * mono.imag
            mask = self._harmonic_mask(pw) * self.mono_scale
        return mask * self.band

    def _separate(self, x: Tensor) -> Tensor:
        # x: [C, L] float32, L >= 1; returns the voice estimate [C, L].
        channels = x.size(0)
        length = x.size(1)
        hop = self.hop
        # Constant (zero) padding keeps frames aligned with a whole-song STFT when
        # segments start on multiples of the hop, and accepts inputs of any length.
        stft_bins = torch.stft(x, self.n_fft, hop, self.n_fft, self.window, True, "constant",
                               False, True, True)
        # [C, F, T] -> [C, T, F]; the bins are contiguous in memory this way round.
        stft_bins = stft_bins.transpose(1, 2)[:, :, : self.n_bins]
        stft_bins = stft_bins * self._mask(stft_bins)
        n_frames = stft_bins.size(1)
        # irfft zero-fills the bins above n_bins, where the mask is 0 anyway.
        frames = torch.fft.irfft(stft_bins, self.n_fft, -1)
        frames = frames.reshape(channels, n_frames, 4, hop) * self.window_quarters
        # Overlap-add with hop = n_fft / 4: each output block sums four frame quarters.
        out = torch.zeros([channels, n_frames + 3, hop], dtype=torch.float32)
        env = torch.zeros([n_frames + 3, hop], dtype=torch.float32)
        for q in range(4):
            out[:, q : q + n_frames] += frames[:, :, q]
            env[q : q + n_frames] += self.window_sq_quarters[q]
        start = self.n_fft // 2
        out = out.reshape(channels, -1)[:, start : start + length]
        env = env.reshape(-1)[start : start + length]
        return out / env.clamp_min(1e-6)


DEFAULT_MODEL = "unet"  # the trained model; "dsp" stays as the fallback
WEIGHTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "weights", "vocals_unet.pt")


def trained_module(weights: str, sharpness: Optional[float] = None) -> torch.jit.ScriptModule:
    import unet_model
    ckpt = torch.load(weights, map_location="cpu")
    if sharpness is None:
        # calibrate.py stores the one validation picked with the weights.
        sharpness = float(ckpt.get("sharpness", 1.0))
    return torch.jit.script(unet_model.build_separator(ckpt["state"], ckpt["channels"],
                                                       ckpt.get("context", []), sharpness))


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="path of the .torchscript file to write")
    parser.add_argument("--model", choices=["dsp", "unet"], default=DEFAULT_MODEL,
                        help="which model to export (default %(default)s)")
    parser.add_argument("--weights", default=WEIGHTS, help="trained weights for --model unet")
    parser.add_argument("--sharpness", type=float, default=None,
                        help="mask logit scale (default: the one stored with the weights, else 1)")
    args = parser.parse_args()
    if args.model == "unet":
        module = trained_module(args.weights, args.sharpness)
    else:
        module = torch.jit.script(VocalSeparator().eval())
    out_dir = os.path.dirname(os.path.abspath(args.out))
    os.makedirs(out_dir, exist_ok=True)
    module.save(args.out)
    print("wrote", args.out)


if __name__ == "__main__":
    main()
