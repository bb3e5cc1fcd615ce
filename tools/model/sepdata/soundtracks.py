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
    "train": ["/usr/share/games/nexuiz/data/music.pk3", "/usr/share/games/warzone2100/music",
              "/usr/share/games/wesnoth/1.16/data/core/music", "/usr/share/games/supertux2/music"],
    "valrec": ["/usr/share/games/singularity/music"],
    "valvoice": ["/usr/share/games/singularity/music"],
}
MUSIC_EXTS = (".ogg", ".opus")
# Tracks where the shipped model hears a voice for 4 s or more of 75 (screen_music.py):
# choirs and chants, and also lead instruments that it takes for one. A voice in the
# accompaniment would teach the model to leave voices there, so all are left out.
SUNG = {
    "antarctic_arctic_cave.wav", "battle-epic.wav", "battle.wav", "breaking_the_chains.wav",
    "elvish-theme.wav", "forest_call_of_the_winding_path.wav", "forest_clavelian_march.wav",
    "forest_forest-cave.wav", "forest_forest-sprint.wav", "forest_forest.wav",
    "forest_ghostforest2.wav", "forest_ghostforest_map.wav", "forest_new_forest_map.wav",
    "forest_shallow-green.wav", "heroes_rite.wav", "journeys_end.wav", "knolls.wav",
    "legends_of_the_north.wav", "love_theme.wav", "main_menu.wav", "misc_christmas_theme.wav",
    "misc_halloween_1.wav", "music.pk3_brainsukker.wav", "music.pk3_northern-lights.wav",
    "northern_mountains.wav", "nunc_dimittis.wav", "retro_fortress_old.wav",
    "retro_worldmap_old.wav", "return_to_wesnoth.wav", "revelation.wav", "sad.wav",
    "silvan_sanctuary.wav", "the_dangerous_symphony.wav", "the_deep_path.wav",
    "the_king_is_dead.wav", "traveling_minstrels.wav", "vengeful.wav", "wanderer.wav",
    "weight_of_revenge.wav",
}


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
        if os.path.basename(out) in SUNG:
            continue
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
