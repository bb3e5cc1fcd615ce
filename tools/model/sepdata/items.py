"""One training or validation item: a song's accompaniment and vocal stems."""

import glob
import os
import tempfile
import time

import numpy as np

from .accompaniment import HYDROGEN, SONIC_PI_OK, hydrogen_drums, recorded_layers, write_accompaniment
from .backing import backing_vocals, phrase_ends
from .common import SR, layer_over, normalise, rms
from .midi import SF2, SF_TRAIN, SF_VAL, Midi, render
from .pools import POOLS
from .production import compress, master, mix_voice, record_chain
from .song import Song
from .soundtracks import recorded_music
from .voices import festival_voice, formant_voice, gm_voice, make_voice

# Each split and the default seed of its random streams.
SPLITS = {"train": 1, "val": 1001, "valrec": 2001, "valvoice": 3001}


def make_item(args):
    """args: (index, split, seconds, out dir, seed, tracks, backing, groups, held, recorded,
    fonts, mute, pads).

    backing "always" gives every styled song backing vocals at -6..0 dB under the lead,
    and keeps the lead alone in OUT/lead/, so evaluate.py can tell what a model keeps
    of each. groups is the share of the backing vocals with group vocals among them;
    held the share of a recorded speaker's sung phrases with vowels held over the notes;
    recorded the share of songs with a recorded soundtrack (None: the split's own); fonts the
    share whose accompaniment another sound font renders (SF_TRAIN in training, SF_VAL else);
    mute the parts of the rendered accompaniment left out and pads the share of songs with
    one more held chord (see write_accompaniment).
    """
    (idx, split, seconds, out_dir, seed, tracks, backing, groups, held, recorded, fonts, mute,
     pads) = args
    path = os.path.join(out_dir, f"{idx:05d}.npy")
    if os.path.exists(path):
        return path, 0.0
    t0 = time.time()
    rng = np.random.default_rng([seed, idx, 0 if split == "train" else 1])
    pool = POOLS[split]
    val = split != "train"
    if recorded is None:
        recorded = 0.35 if split == "train" else 1.0
    kits = sorted(glob.glob(os.path.join(HYDROGEN, "*")))
    kits = kits[:10] if not val else kits[10:]
    n = int(seconds * SR)
    song = Song(rng, seconds)
    with tempfile.TemporaryDirectory(dir="/tmp") as tmp:
        use_hydrogen = bool(kits) and rng.random() < 0.5
        m = Midi(song.bpm)
        write_accompaniment(rng, song, pool, m, use_gm_drums=not use_hydrogen, mute=mute,
                            pads=pads)
        font = SF2
        if fonts > 0 and rng.random() < fonts:
            font = SF_VAL if val else SF_TRAIN
        acc = render(m, seconds, tmp, "acc", fx=True, font=font)
        if use_hydrogen:
            drums = hydrogen_drums(rng, song, kits, n) * float(rng.uniform(0.5, 1.5))
            acc = acc + (0.0 if "drums" in mute else drums)
        if not val and SONIC_PI_OK and rng.random() < 0.4:
            acc = layer_over(acc, recorded_layers(rng, song, n), rng.uniform(-6, 3))
        acc = compress(acc, rng, float(rng.uniform(0.0, 0.8)))
        # A recorded, already mastered track: alone, or over the rendered one.
        if tracks and rng.random() < recorded:
            rec = recorded_music(rng, tracks, n)
            acc = rec if rng.random() < 0.6 else layer_over(rec, acc, rng.uniform(-9, 0))
        lead = None
        if rng.random() < 0.06:  # instrumental passages exist: no voice at all
            voc = np.zeros((2, n), np.float32)
            kind = "none"
            styled = False
        else:
            v, notes, kind, speaker, take = make_voice(rng, song, pool, tmp, "voc", split, held)
            v = normalise(v)
            # Record-style production and backing vocals: in "valvoice", and in most of
            # the training songs, since real records are produced so ("val" and "valrec" stay as
            # they were).
            styled = split == "valvoice" or (split == "train" and rng.random() < 0.75)
            if styled:
                voc = record_chain(rng, v, song, phrase_ends(notes))
                always = backing == "always"
                if rng.random() < (0.6 if val else 0.7) or always:
                    back = backing_vocals(rng, song, notes, take, tmp, val, pool, groups)
                    if rms(back) > 0:
                        lead = voc
                        level = rng.uniform(-6, 0) if always else rng.uniform(-12, 0)
                        voc = voc + normalise(back) * rms(voc) * 10 ** (level / 20)
            else:
                voc = mix_voice(rng, v, song, val)
            if not styled and rng.random() < 0.33:  # harmony or double track, off centre
                shift = int(rng.choice([0, 3, 4, 7, -5, 12]))
                notes2 = [(s + float(rng.uniform(0, 0.03)), d, k + shift) for (s, d, k) in notes]
                r = rng.random()
                if speaker is not None and r < 0.6:  # the same singer again
                    v2 = festival_voice(rng, song, notes2, tmp, "voc2", speaker)
                elif r < 0.5:
                    v2 = formant_voice(rng, song, notes2, val)
                else:
                    v2 = gm_voice(rng, song, pool, notes2, tmp, "voc2")
                v2 = v2 / (np.sqrt((v2 ** 2).mean()) + 1e-9) * float(rng.uniform(0.3, 0.7))
                p = float(rng.uniform(-0.4, 0.4))
                v2m = mix_voice(rng, v2, song, val) * np.array([[1 - p], [1 + p]], np.float32)
                voc = voc + v2m
    # Levels: accompaniment at about -20 dBFS RMS; voice -8..+3 dB relative to it.
    acc = acc / (np.sqrt((acc ** 2).mean()) + 1e-9) * 0.1
    if kind != "none":
        gain = 0.1 * 10 ** (rng.uniform(-8, 3) / 20) / (np.sqrt((voc ** 2).mean()) + 1e-9)
        voc = voc * gain
        lead = lead * gain if lead is not None else None
    if split in ("train", "valvoice") and rng.random() < 0.6:
        voc, acc, g = master(voc, acc, rng)
        lead = (lead * g).astype(np.float32) if lead is not None else None
    if rng.random() < 0.5:  # channels swapped at random
        acc = acc[::-1]
        voc = voc[::-1]
        lead = lead[::-1] if lead is not None else None
    peak = max(np.abs(acc + voc).max(), 1e-9)
    if peak > 0.98:
        acc, voc = acc * 0.98 / peak, voc * 0.98 / peak
        lead = lead * 0.98 / peak if lead is not None else None
    if backing == "always" and lead is not None:
        os.makedirs(os.path.join(out_dir, "lead"), exist_ok=True)
        side = os.path.join(out_dir, "lead", f"{idx:05d}.npy")
        np.save(side + ".tmp.npy", lead.astype(np.float16))
        os.replace(side + ".tmp.npy", side)
    item = np.stack([voc, acc]).astype(np.float16)
    np.save(path + ".tmp.npy", item)
    os.replace(path + ".tmp.npy", path)
    return path, time.time() - t0
