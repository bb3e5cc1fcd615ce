"""Writes small TorchScript models that exercise the engine's contract, one folder each."""
import argparse
import os
from typing import Dict

import torch


class Scale(torch.nn.Module):
    """Vocals are half the input, accompaniment a quarter: easy to check."""

    @torch.jit.export
    def serve(self, waveform: torch.Tensor) -> Dict[str, torch.Tensor]:
        return {"strided_slice_13": waveform * 0.5, "strided_slice_23": waveform * 0.25}


class Shapes(torch.nn.Module):
    """Outputs of rank 0, 1 and 3, and one channel of the input."""

    @torch.jit.export
    def serve(self, waveform: torch.Tensor) -> Dict[str, torch.Tensor]:
        return {
            "rank0": waveform.sum(),
            "rank1": waveform.flatten(),
            "rank3": waveform.unsqueeze(2).repeat(1, 1, 2),
            "first_channel": waveform[:, :1],
        }


class NoServe(torch.nn.Module):
    def forward(self, waveform: torch.Tensor) -> torch.Tensor:
        return waveform


class Fails(torch.nn.Module):
    """Refuses anything but two channels, as a real graph refuses a wrong shape."""

    @torch.jit.export
    def serve(self, waveform: torch.Tensor) -> Dict[str, torch.Tensor]:
        if waveform.size(1) != 2:
            raise RuntimeError("expected 2 channels")
        return {"strided_slice_13": waveform}


def save(module: torch.nn.Module, root: str, name: str) -> None:
    folder = os.path.join(root, name)
    os.makedirs(folder, exist_ok=True)
    torch.jit.script(module).save(os.path.join(folder, "saved_model.torchscript"))


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    save(Scale(), args.out, "scale")
    save(Shapes(), args.out, "shapes")
    save(NoServe(), args.out, "noserve")
    save(Fails(), args.out, "fails")
    with open(os.path.join(args.out, "stamp"), "w") as stamp:
        stamp.write("ok\n")


if __name__ == "__main__":
    main()
