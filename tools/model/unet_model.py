"""Small U-Net vocal-mask separator, shared by train.py and export_model.py.

Needs only torch (the build exports with python3-torch alone).
STFT 2048/512 (Hann); the 1025 bins are compressed to 288 rows: full resolution
below 4.1 kHz, 4-bin bands to 9.6 kHz, 18-bin bands above. Per row, 9 features:
log power of left, right, mid and side, level similarity 2Re(L R*)/(|L|^2+|R|^2),
coherence |L R*|/(|L||R|) over 3 frames, cosine of the phase difference,
pan (|L|^2-|R|^2)/(|L|^2+|R|^2), and the row position. The network predicts a
soft vocal mask per row, one for both channels or one per channel; vocals =
mask * STFT of each channel, accompaniment = mix - vocals in the time domain, so
the stems always sum to the mix.
"""

from typing import Dict, List, Tuple

import torch
import torch.nn.functional as F
from torch import Tensor, nn

from segmented import SegmentedSeparator

SAMPLE_RATE = 44100
N_FFT = 2048
HOP = 512
N_BINS = N_FFT // 2 + 1
# (first bin, bins per row, rows); covers bins 0..1023, bin 1024 reuses the last row.
BANDS = [(0, 1, 192), (192, 4, 64), (448, 18, 32)]
N_ROWS = 288
N_FEAT = 9
EPS = 1e-8
DOWN = 16  # 4 stride-2 levels: time frames are padded to a multiple of this


def row_index() -> Tensor:
    """For each STFT bin, the row whose mask it takes."""
    idx: List[int] = []
    row = 0
    for _, width, rows in BANDS:
        for r in range(rows):
            idx.extend([row + r] * width)
        row += rows
    idx.append(N_ROWS - 1)
    return torch.tensor(idx, dtype=torch.long)


def pool_rows(x: Tensor) -> Tensor:
    """x: [B, T, N_BINS] real -> [B, T, N_ROWS] band means (layout of BANDS)."""
    bsz = x.size(0)
    t = x.size(1)
    low = x[:, :, 0:192]
    mid = x[:, :, 192:448].reshape(bsz, t, 64, 4).mean(-1)
    high = x[:, :, 448:1024].reshape(bsz, t, 32, 18).mean(-1)
    return torch.cat([low, mid, high], -1)


def features(bins: Tensor) -> Tensor:
    """bins: complex [B, 2, T, N_BINS] (left, right) -> real [B, N_FEAT, T, N_ROWS]."""
    left = bins[:, 0]
    right = bins[:, 1]
    pl = left.real * left.real + left.imag * left.imag
    pr = right.real * right.real + right.imag * right.imag
    cre = left.real * right.real + left.imag * right.imag
    cim = left.imag * right.real - left.real * right.imag
    pl = pool_rows(pl)
    pr = pool_rows(pr)
    cre = pool_rows(cre)
    cim = pool_rows(cim)
    eps = 1e-8  # sets the floor for silence; a local because TorchScript cannot read globals
    # Rounding can make these a hair negative when L = -R, and log10 would give NaN.
    pm = (0.25 * (pl + pr + 2.0 * cre)).clamp_min(0.0)
    ps = (0.25 * (pl + pr - 2.0 * cre)).clamp_min(0.0)
    tot = pl + pr + eps
    sim = 2.0 * cre / tot
    pan = (pl - pr) / tot
    cos = cre / (torch.sqrt(cre * cre + cim * cim) + eps)
    # Coherence needs averaging over neighbouring frames to mean anything per bin.
    s_re = F.avg_pool2d(cre.unsqueeze(1), [3, 1], 1, [1, 0], False, False).squeeze(1)
    s_im = F.avg_pool2d(cim.unsqueeze(1), [3, 1], 1, [1, 0], False, False).squeeze(1)
    s_l = F.avg_pool2d(pl.unsqueeze(1), [3, 1], 1, [1, 0], False, False).squeeze(1)
    s_r = F.avg_pool2d(pr.unsqueeze(1), [3, 1], 1, [1, 0], False, False).squeeze(1)
    coh = torch.sqrt(s_re * s_re + s_im * s_im) / (torch.sqrt(s_l * s_r) + eps)
    pos = torch.linspace(-1.0, 1.0, pl.size(-1), device=pl.device).expand(pl.shape)
    # log10 powers scaled to roughly unit range.
    f_l = 0.25 * (torch.log10(pl + eps) + 4.0)
    f_r = 0.25 * (torch.log10(pr + eps) + 4.0)
    f_m = 0.25 * (torch.log10(pm + eps) + 4.0)
    f_s = 0.25 * (torch.log10(ps + eps) + 4.0)
    return torch.stack([f_l, f_r, f_m, f_s, sim, coh, cos, pan, pos], 1)


class Block(nn.Module):
    def __init__(self, cin: int, cout: int, stride: int = 1, dilation: int = 1,
                 row_dilation: int = 1) -> None:
        super().__init__()
        # Dilation runs along time only, except in FineLow over the low rows (one bin wide
        # below ~4.1 kHz): elsewhere rows are frequency bands of unequal width.
        self.conv = nn.Conv2d(cin, cout, 3, stride, (dilation, row_dilation),
                              (dilation, row_dilation))
        self.norm = nn.BatchNorm2d(cout)

    def forward(self, x: Tensor) -> Tensor:
        return F.leaky_relu(self.norm(self.conv(x)), 0.1)


class TimeContext(nn.Module):
    """Residual dilated convolutions along time at the coarsest level: seconds of context
    for little cost. Each layer's last convolution starts at zero, so weights trained
    without the context load and behave unchanged."""

    def __init__(self, ch: int, hidden: int, dilations: List[int]) -> None:
        super().__init__()
        self.layers = nn.ModuleList([nn.Sequential(Block(ch, hidden, 1, d), nn.Conv2d(hidden, ch, 1))
                                     for d in dilations])
        for layer in self.layers:
            nn.init.zeros_(layer[1].weight)
            nn.init.zeros_(layer[1].bias)

    def forward(self, h: Tensor) -> Tensor:
        for layer in self.layers:
            h = h + layer(h)
        return h


# Rows below ~2.4 kHz, all one bin wide: where held chords overlap the voice's fundamental
# and low partials, and the coarse levels of the U-Net cannot tell the partials apart.
# A second set of layers reaches ~9.6 kHz, over the partials of backing voices; both see the
# lowest rows, since the partials follow from the fundamental.
FINE_SPANS = [112, 256]
FINE_DILATIONS = [1, 2, 4, 8]
FINE_REACH = 1 + sum(FINE_DILATIONS)  # frames they add to what a mask value sees, per side


class FineLow(nn.Module):
    """Full-resolution layers over the lowest rows that follow partials over time and across
    their neighbours, and correct the mask's logit there. The last convolution starts at zero,
    so weights trained without it load and behave unchanged."""

    def __init__(self, cin: int, width: int, masks: int, rows: int) -> None:
        super().__init__()
        self.rows = rows
        self.inp = Block(cin, width)
        self.layers = nn.ModuleList([Block(width, width, 1, d, d) for d in FINE_DILATIONS])
        self.out = nn.Conv2d(width, masks, 1)
        nn.init.zeros_(self.out.weight)
        nn.init.zeros_(self.out.bias)

    def forward(self, x: Tensor) -> Tensor:
        h = self.inp(x)
        for layer in self.layers:
            h = h + layer(h)
        return self.out(h)


def context_frames(dilations: List[int]) -> int:
    """Frames of full resolution that the time context adds on each side."""
    return DOWN * sum(dilations)


class VocalUNet(nn.Module):
    """Convolutions and nearest upsampling only (no transposed convolutions: slow in libtorch)."""

    def __init__(self, ch: List[int] = [16, 24, 32, 48, 64], context: List[int] = [],
                 masks: int = 1, fine: int = 0, fine_sets: int = 1) -> None:
        super().__init__()
        # fine: width of the full-resolution layers over the low rows (0: none); fine_sets:
        # how many of FINE_SPANS have them.
        sets = FINE_SPANS[:fine_sets] if fine > 0 else []
        self.fine = nn.ModuleList([FineLow(N_FEAT + ch[0], fine, masks, r) for r in sets])
        self.ctx = TimeContext(ch[4], 2 * ch[4], context)
        self.inp = Block(N_FEAT, ch[0])
        self.enc = nn.ModuleList([nn.Sequential(Block(ch[i], ch[i + 1], 2),
                                                Block(ch[i + 1], ch[i + 1])) for i in range(4)])
        self.dec = nn.ModuleList([Block(ch[i + 1], ch[i]) for i in (3, 2, 1, 0)])
        # One mask for both channels, or one per channel: a voice panned to one side, or a
        # stereo accompaniment around a centred one, differs between the channels.
        self.out = nn.Conv2d(ch[0], masks, 1)

    def trunk(self, x: Tensor) -> Tuple[Tensor, Tensor]:
        """x: [B, N_FEAT, T, N_ROWS] -> the last hidden layer and the mask's logit."""
        skips: List[Tensor] = []
        h = self.inp(x)
        for enc in self.enc:
            skips.append(h)
            h = enc(h)
        h = self.ctx(h)
        for j, dec in enumerate(self.dec):
            h = F.interpolate(h, scale_factor=2.0, mode="nearest")
            # Additive skips keep the high-resolution layers narrow and cheap.
            h = dec(h) + skips[3 - j]
        return h, self.out(h)

    def refine(self, x: Tensor, h: Tensor, logit: Tensor) -> Tensor:
        """The mask from the trunk's logit, corrected over the low rows where there are fine layers."""
        for fine in self.fine:
            r = fine.rows
            low = torch.cat([x[:, :, :, :r], h[:, :, :, :r]], 1)
            logit = torch.cat([logit[:, :, :, :r] + fine(low), logit[:, :, :, r:]], 3)
        return torch.sigmoid(logit)

    def forward(self, x: Tensor) -> Tensor:
        # x: [B, N_FEAT, T, N_ROWS], T a multiple of DOWN -> masks [B, M, T, N_ROWS]
        h, logit = self.trunk(x)
        return self.refine(x, h, logit)


def fold_batchnorm(net: VocalUNet) -> None:
    """Fold inference-mode BatchNorm into the preceding convolution."""
    for mod in net.modules():
        if isinstance(mod, Block):
            bn = mod.norm
            scale = bn.weight / torch.sqrt(bn.running_var + bn.eps)
            mod.conv.weight.data *= scale.reshape(-1, 1, 1, 1)
            mod.conv.bias.data = (mod.conv.bias.data - bn.running_mean) * scale + bn.bias
            mod.norm = nn.Identity()


def inverse_stft(spec: Tensor, window: Tensor, n_fft: int, hop: int, length: int) -> Tensor:
    """torch.istft(spec, n_fft, hop, n_fft, window, center=True, length=length), the same
    samples at a third of its time in Debian's libtorch: the frames overlap-add as
    n_fft / hop shifted slices rather than through its general fold.

    spec: complex [C, N_BINS, T] -> [C, length]
    """
    frames = torch.fft.irfft(spec.transpose(1, 2), n_fft, -1) * window  # [C, T, n_fft]
    c = frames.size(0)
    t = frames.size(1)
    k = n_fft // hop
    parts = frames.reshape(c, t, k, hop)
    out = torch.zeros([c, t + k - 1, hop], dtype=frames.dtype)
    wsq = (window * window).reshape(k, hop)
    env = torch.zeros([t + k - 1, hop], dtype=frames.dtype)
    for j in range(k):
        out[:, j : j + t] += parts[:, :, j]
        env[j : j + t] += wsq[j]
    start = n_fft // 2
    out = out.reshape(c, -1)[:, start : start + length]
    env = env.reshape(-1)[start : start + length]
    return out / env.clamp_min(1e-11)


class UNetSeparator(SegmentedSeparator):
    """TorchScript-able wrapper: STFT, mask, inverse STFT per segment."""

    def __init__(self, net: VocalUNet, segment_frames: int = 1024, margin_frames: int = 80) -> None:
        # The margin is wider than the network's receptive field (~76 frames without the
        # time context) plus the window.
        super().__init__(segment_frames * HOP, margin_frames * HOP)
        self.net = net
        self.n_fft = N_FFT
        self.hop = HOP
        self.down = DOWN
        self.register_buffer("window", torch.hann_window(N_FFT, periodic=True))
        self.register_buffer("rows", row_index())

    def _separate(self, x: Tensor) -> Tensor:
        # x: [C, L] float32 -> vocals [C, L]
        channels = x.size(0)
        length = x.size(1)
        bins = torch.stft(x, self.n_fft, self.hop, self.n_fft, self.window, True, "constant",
                          False, True, True)  # [C, N_BINS, T]
        bins = bins.transpose(1, 2)  # [C, T, N_BINS]
        if channels >= 2:
            pair = bins[:2]
        else:
            pair = torch.cat([bins[:1], bins[:1]], 0)
        feat = features(pair.unsqueeze(0))
        t = feat.size(2)
        pad = (self.down - t % self.down) % self.down
        if pad > 0:
            feat = F.pad(feat, [0, 0, 0, pad])
        dtype = self.net.inp.conv.weight.dtype
        if dtype != torch.float32:
            # The runtime converts the network to bfloat16 where the CPU has fast bf16 dot
            # products; that path wants the channels-last layout.
            feat = feat.to(dtype).contiguous(memory_format=torch.channels_last)
        mask = self.net(feat)[0, :, :t].float()  # [M, T, N_ROWS]
        if mask.size(0) > 1 and mask.size(0) != channels:
            # Per-channel masks on a mono (or more than stereo) input: their mean for all.
            mask = mask.mean(0, keepdim=True)
        mask = mask.index_select(2, self.rows)  # [M, T, N_BINS]
        est = (bins * mask).transpose(1, 2)
        return inverse_stft(est, self.window, self.n_fft, self.hop, length)


def fine_width(state: Dict[str, Tensor]) -> int:
    """Width of the full-resolution low rows' layers (0: the checkpoint has none)."""
    w = state.get("fine.0.inp.conv.weight")
    return 0 if w is None else int(w.shape[0])


def fine_sets(state: Dict[str, Tensor]) -> int:
    """How many of FINE_SPANS the checkpoint has fine layers over."""
    return sum(1 for i in range(len(FINE_SPANS)) if f"fine.{i}.inp.conv.weight" in state)


def soften_mask(net: VocalUNet, sharpness: float) -> None:
    """Scale the mask's logits: sigmoid(s * logit) with s < 1 pulls the mask towards 0.5.

    Trained on an L1 loss, the mask comes out more decided than the squared error (and so
    SDR) favours; validation picks s. Folded into the output convolution, it costs nothing.
    """
    for out in [net.out] + [f.out for f in net.fine]:
        out.weight.data *= sharpness
        out.bias.data *= sharpness


def mask_count(state: Dict[str, Tensor]) -> int:
    """1: one mask for both channels; 2: one per channel (read from the output layer)."""
    return int(state["out.weight"].shape[0])


def build_separator(state: Dict[str, Tensor], ch: List[int],
                    context: List[int] = [], sharpness: float = 1.0) -> UNetSeparator:
    net = VocalUNet(ch, context, mask_count(state), fine_width(state), fine_sets(state))
    net.load_state_dict(state)
    net.eval()
    fold_batchnorm(net)
    soften_mask(net, sharpness)
    if not context:
        return UNetSeparator(net).eval()
    # Longer segments keep the wider margins cheap; memory stays flat with song length.
    margin = 80 + context_frames(context) + (FINE_REACH if net.fine else 0)
    return UNetSeparator(net, 2048, margin).eval()
