"""The `serve` entry point shared by the exported models.

A song is processed in segments with context on both sides, so working memory
stays flat whatever its length. Subclasses provide `_separate`: [C, L] float32
-> the voice estimate [C, L]. Accompaniment is always mix - vocals, so the stems
sum to the input exactly. Needs only torch.
"""

from typing import Dict

import torch
from torch import Tensor, nn


class SegmentedSeparator(nn.Module):
    def __init__(self, segment: int, margin: int, input_limit: float = 1.0e4) -> None:
        super().__init__()
        self.segment = segment
        self.margin = margin
        # Keeps squared STFT magnitudes far from float32 overflow.
        self.input_limit = input_limit

    def _separate(self, x: Tensor) -> Tensor:
        raise NotImplementedError("subclasses separate the voice")

    @torch.jit.export
    def serve(self, waveform: Tensor) -> Dict[str, Tensor]:
        x = waveform.to(torch.float32)
        # A bare [frames] vector is treated as mono; outputs keep the caller's shape.
        flat = x.dim() == 1
        if flat:
            x = x.unsqueeze(1)
        n = x.size(0)
        channels = x.size(1)
        vocals = torch.zeros([n, channels], dtype=torch.float32)
        if n > 0 and channels > 0:
            seg = self.segment
            margin = self.margin
            s = 0
            while s < n:
                e = min(s + seg, n)
                # Fold a short tail into this segment rather than paying for a tiny one.
                if n - e < seg // 4:
                    e = n
                a = max(s - margin, 0)
                b = min(e + margin, n)
                chunk = x[a:b].t().contiguous()
                # Non-finite or absurd samples must not poison a whole segment.
                chunk = torch.nan_to_num(chunk, 0.0, 0.0, 0.0)
                chunk = chunk.clamp(-self.input_limit, self.input_limit)
                voice = self._separate(chunk)
                vocals[s:e] = voice[:, s - a : e - a].t()
                s = e
        accompaniment = x - vocals
        if flat:
            vocals = vocals.squeeze(1)
            accompaniment = accompaniment.squeeze(1)
        return {"strided_slice_13": vocals.contiguous(),
                "strided_slice_23": accompaniment.contiguous()}

    def forward(self, waveform: Tensor) -> Dict[str, Tensor]:
        return self.serve(waveform)
