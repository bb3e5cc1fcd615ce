"""Recorded instrumental soundtracks: decoded once into a WAV cache, cut into excerpts."""

import glob
import os
import pathlib
import subprocess
import zipfile

import numpy as np
import soundfile as sf

from .common import SR, fit


# Recorded instrumental game soundtracks; "valrec" holds out a whole package.
MUSIC_SOURCES = {
    "train": ["/usr/share/games/nexuiz/data/music.pk3", "/usr/share/games/warzone2100/music"],
    "valrec": ["/usr/share/games/singularity/music"],
    "valvoice": ["/usr/share/games/singularity/music"],
}
MUSIC_EXTS = (".ogg", ".opus")


def soundtrack_files(split):
    """(cache name, reader of the encoded bytes) for every soundtrack file of the split."""
    for src in MUSIC_SOURCES.get(split, []):
        if src.endswith(".pk3"):  # a zip archive
            if not os.path.isfile(src):
                continue
            with zipfile.ZipFile(src) as z:
                for m in sorted(z.namelist()):
                    if m.endswith(MUSIC_EXTS):
                        name = os.path.basename(src) + "_" + os.path.basename(m)
                        yield name, lambda m=m: z.read(m)
        else:
            for f in sorted(glob.glob(os.path.join(src, "**", "*"), recursive=True)):
                if f.endswith(MUSIC_EXTS):
                    name = os.path.relpath(f, src).replace(os.sep, "_").replace(" ", "_")
                    yield name, lambda f=f: pathlib.Path(f).read_bytes()


def music_tracks(split, cache):
    """Decodes the split's soundtracks once into 44.1 kHz stereo WAV files under `cache`.

    Returns (path, frames) of each track long enough to cut excerpts from (not jingles).
    """
    tracks = []
    for name, read in soundtrack_files(split):
        out = os.path.join(cache, split, os.path.splitext(name)[0] + ".wav")
        if not os.path.exists(out):
            decode(read(), out)
        frames = sf.info(out).frames
        if frames > 30 * SR:
            tracks.append((out, frames))
    return tracks


def decode(data, out):
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", "pipe:0", "-ac", "2", "-ar", str(SR),
                    "-c:a", "pcm_s16le", "-f", "wav", out + ".tmp"], input=data, check=True)
    os.replace(out + ".tmp", out)


def recorded_music(rng, tracks, n):
    """An excerpt of a recorded instrumental track, skipping near-silent passages."""
    best = None
    for _ in range(6):
        path, frames = tracks[rng.integers(len(tracks))]
        start = int(rng.integers(0, frames - n)) if frames > n else 0
        x, _ = sf.read(path, start=start, frames=n, dtype="float32", always_2d=True)
        x = fit(x.T, n)
        rms = float(np.sqrt((x ** 2).mean()))
        if best is None or rms > best[0]:
            best = (rms, x)
        if rms > 0.03:
            break
    return best[1]
