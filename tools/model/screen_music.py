#!/usr/bin/python3
"""Screens recorded soundtracks for singing before they become accompaniment.

A voice inside the accompaniment teaches the model to leave voices there, so
every track is run through a separation model on a few excerpts, and the share
of each second that the model calls voice is measured. Tracks with several
seconds of clear voice are listed; `sepdata/soundtracks.py` leaves them out
(SUNG). The songs of a validation split, which all have a voice, show what a
sung track scores.

Usage:
    /usr/bin/python3 tools/model/screen_music.py MODEL.torchscript --split train
    /usr/bin/python3 tools/model/screen_music.py MODEL.torchscript --songs /tmp/sepdata/valvoice
"""

import argparse
import glob
import os
import sys

import numpy as np
import soundfile as sf
import torch

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sepdata.common import SR  # noqa: E402
from sepdata.soundtracks import SUNG, music_tracks  # noqa: E402

VOCALS = "strided_slice_13"
EXCERPT = 15  # seconds
POSITIONS = (0.15, 0.35, 0.55, 0.75, 0.9)
VOICED = 0.25  # share of a second's energy that counts as a voice


def voiced_seconds(model, mix):
    """Seconds of `mix` ([channels, N]) whose vocal stem holds more than VOICED of the energy."""
    with torch.inference_mode():
        v = model.serve(torch.from_numpy(np.ascontiguousarray(mix.T)))[VOCALS].numpy().T
    n = mix.shape[1] // SR
    e_mix = (mix[:, : n * SR] ** 2).reshape(mix.shape[0], n, SR).sum((0, 2))
    e_voc = (v[:, : n * SR] ** 2).reshape(v.shape[0], n, SR).sum((0, 2))
    loud = e_mix > 1e-4 * SR
    return int(((e_voc > VOICED * e_mix) & loud).sum()), int(loud.sum())


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("model")
    ap.add_argument("--split", help="screen this split's soundtracks")
    ap.add_argument("--songs", help="a folder of generated items, for comparison")
    ap.add_argument("--music-cache", default="/tmp/sepdata/music")
    ap.add_argument("--limit", type=int, default=4, help="voiced seconds that mark a track as sung")
    args = ap.parse_args()
    torch.set_num_threads(2)
    model = torch.jit.load(args.model)
    if args.songs:
        for f in sorted(glob.glob(os.path.join(args.songs, "*.npy"))):
            item = np.load(f).astype(np.float32)
            print(os.path.basename(f), "voiced %d of %d s" % voiced_seconds(model, item[0] + item[1]),
                  flush=True)
    if args.split:
        # Every track, the ones already left out included, so the list can be checked again.
        SUNG.clear()
        flagged = []
        for path, frames in music_tracks(args.split, args.music_cache):
            voiced = loud = 0
            for p in POSITIONS:
                start = int(max(0, min(frames - EXCERPT * SR, p * frames)))
                x, _ = sf.read(path, start=start, frames=EXCERPT * SR, dtype="float32", always_2d=True)
                a, b = voiced_seconds(model, x.T)
                voiced, loud = voiced + a, loud + b
            name = os.path.basename(path)
            mark = voiced >= args.limit
            if mark:
                flagged.append(name)
            print(f"{name}: voiced {voiced} of {loud} s{'  SUNG' if mark else ''}", flush=True)
        print("sung:", " ".join(sorted(flagged)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
