"""Accompaniment: MIDI arrangement, hydrogen drum samples and recorded sonic-pi layers."""

import glob
import math
import os

import numpy as np
import scipy.signal as sps
import soundfile as sf

from .common import SR, resample_ratio
from .midi import Midi


HYDROGEN = "/usr/share/hydrogen/data/drumkits"
SONIC_PI = "/usr/share/sonic-pi/samples"  # recorded CC0 loops and guitar chords
SONIC_PI_OK = os.path.isdir(SONIC_PI)
PARTS = ("bass", "chords", "lead", "drums")  # what a probe may mute


def _part(m: Midi, ch, program, pan, reverb, muted):
    """One instrument on channel ch; a muted one still made its draws (the arguments)."""
    if muted:
        m.muted.add(ch)
    m.program(ch, program)
    m.cc(0, ch, 10, pan)
    m.cc(0, ch, 91, reverb)


def write_accompaniment(rng, song, pool, m: Midi, use_gm_drums: bool, mute=(), pads=0.0):
    """mute: parts (of PARTS) whose notes are left out; their draws are still made, so the
    rest of the song comes out the same. pads: the share of songs with one more held chord
    in the voice's own octaves (drawn only when > 0)."""
    ch = 0
    beat = song.beat
    # Bass near the centre so that "centre" never means "voice".
    _part(m, ch, int(rng.choice(pool["bass"])), 64 + rng.integers(-8, 9), rng.integers(0, 40),
          "bass" in mute)
    style = int(rng.integers(6))
    for bar in range(song.bars):
        root = song.degree_note(song.chord(bar), 2) + 12 * int(rng.random() < 0.3)
        t0 = bar * 4 * beat
        if style == 0:
            hits = [(0, 4)]
        elif style == 1:
            hits = [(0, 2), (2, 2)]
        elif style == 2:
            hits = [(i * 0.5, 0.45) for i in range(8)]
        elif style == 3:
            hits = [(i, 0.9) for i in range(4)]
        elif style == 4:
            hits = [(0, 1.5), (1.5, 0.5), (2.5, 1.5)]
        else:
            hits = [(0, 0.75), (0.75, 0.75), (2, 0.5), (3, 1)]
        for i, (b, d) in enumerate(hits):
            key = root
            if style in (1, 3, 5) and i % 2 == 1:
                key = root + (7 if rng.random() < 0.6 else 12)
            m.note(t0 + b * beat, d * beat * 0.95, ch, key, rng.integers(70, 115))
    # One to three chord instruments, panned anywhere.
    for k in range(int(rng.integers(1, 4))):
        ch += 1
        _part(m, ch, int(rng.choice(pool["chord"])), rng.integers(0, 128), rng.integers(10, 100),
              "chords" in mute)
        m.cc(0, ch, 93, rng.integers(0, 60))
        octave = int(rng.integers(3, 6))
        style = int(rng.integers(4))
        vel = int(rng.integers(45, 100))
        for bar in range(song.bars):
            notes = song.chord_notes(bar, octave, int(rng.integers(3, 5)))
            t0 = bar * 4 * beat
            if style == 0:
                for n in notes:
                    m.note(t0, 4 * beat * 0.98, ch, n, vel)
            elif style == 1:
                step = 0.5 if rng.random() < 0.5 else 0.25
                for i in range(int(4 / step)):
                    m.note(t0 + i * step * beat, step * beat, ch, notes[i % len(notes)], vel)
            elif style == 2:
                for b in (0, 1, 2, 3):
                    for j, n in enumerate(notes):
                        m.note(t0 + b * beat + j * 0.015, beat * 0.8, ch, n, vel - 10 * (b % 2))
            else:
                for b in (0, 1.5, 2.5, 3.5):
                    for n in notes:
                        m.note(t0 + b * beat, 0.45 * beat, ch, n, vel)
    # A melodic lead in about a third of the songs: melody is not voice.
    if rng.random() < 0.35:
        ch += 1
        _part(m, ch, int(rng.choice(pool["lead"])), rng.integers(20, 108), rng.integers(20, 90),
              "lead" in mute)
        t = float(rng.uniform(0, 2)) * beat
        deg = int(rng.integers(0, 7))
        while t < song.seconds:
            d = beat * float(rng.choice([0.5, 1, 1, 2, 3]))
            if rng.random() < 0.8:
                m.note(t, d * 0.9, ch, song.degree_note(deg, 5), rng.integers(60, 110))
            deg = int(np.clip(deg + rng.integers(-2, 3), -3, 10))
            t += d
    if pads > 0 and rng.random() < pads:
        # Held chords where the voice sings are what most often make the model let it go.
        ch += 1
        _part(m, ch, int(rng.choice(pool["pad"])), rng.integers(16, 112), rng.integers(20, 100),
              "chords" in mute)
        octave = int(rng.integers(4, 6))
        vel = int(rng.integers(50, 105))
        half = rng.random() < 0.3
        for bar in range(song.bars):
            t0 = bar * 4 * beat
            for start, length in ((0, 2), (2, 2)) if half else ((0, 4),):
                for n in song.chord_notes(bar, octave, int(rng.integers(3, 5))):
                    m.note(t0 + start * beat, length * beat * 0.98, ch, n, vel)
    if use_gm_drums:
        if "drums" in mute:
            m.muted.add(9)
        m.add(0, bytes([0xB9, 0, 128]), 0)
        m.add(0, bytes([0xC9, int(rng.choice(pool["gm_drums"]))]), 0)
        m.cc(0, 9, 91, rng.integers(0, 50))
        for t, kind, vel in drum_pattern(rng, song):
            key = {"kick": 36, "snare": 38, "hat": 42 if rng.random() < 0.85 else 46,
                   "crash": 49, "tom": int(rng.choice([41, 45, 48]))}[kind]
            m.note(t, 0.1, 9, key, vel)


def drum_pattern(rng, song):
    beat = song.beat
    style = int(rng.integers(4))
    hat_step = [0.5, 0.25, 0.5, 1.0][style]
    out = []
    for bar in range(song.bars):
        t0 = bar * 4 * beat
        kicks = [[0, 2], [0, 1.5, 2], [0, 0.75, 2, 2.5], [0, 1, 2, 3]][style]
        snares = [[1, 3], [1, 3], [1, 3, 3.75], [1, 3]][style]
        for b in kicks:
            out.append((t0 + b * beat, "kick", int(rng.integers(90, 127))))
        for b in snares:
            out.append((t0 + b * beat, "snare", int(rng.integers(80, 120))))
        for i in range(int(4 / hat_step)):
            out.append((t0 + i * hat_step * beat, "hat", int(rng.integers(40, 100))))
        if bar % 4 == 0 and rng.random() < 0.6:
            out.append((t0, "crash", 100))
        if bar % 4 == 3 and rng.random() < 0.5:  # fill
            for i in range(4):
                out.append((t0 + (3 + i * 0.25) * beat, "tom", int(rng.integers(80, 120))))
    return out


_KIT_CACHE = {}


def hydrogen_kit(path):
    if path in _KIT_CACHE:
        return _KIT_CACHE[path]
    kinds = {"kick": ("kick", "bd", "bass", "kik"), "snare": ("snare", "sn", "sd", "clap"),
             "hat": ("hh", "hat", "hihat"), "crash": ("crash", "ride", "cym", "splash"),
             "tom": ("tom",)}
    kit = {k: [] for k in kinds}
    for f in sorted(glob.glob(os.path.join(path, "*"))):
        low = os.path.basename(f).lower()
        if not low.endswith((".wav", ".flac")):
            continue
        for k, keys in kinds.items():
            if any(key in low for key in keys):
                try:
                    x, sr = sf.read(f, dtype="float32", always_2d=True)
                except Exception:
                    break
                x = x[: int(sr * 1.5)].T
                if sr != SR:
                    x = sps.resample_poly(x, SR, sr, axis=1).astype(np.float32)
                if x.shape[0] == 1:
                    x = np.repeat(x, 2, 0)
                kit[k].append(x[:2] / (np.abs(x).max() + 1e-9))
                break
    _KIT_CACHE[path] = kit
    return kit


def hydrogen_drums(rng, song, kits, n):
    kit = hydrogen_kit(kits[rng.integers(len(kits))])
    out = np.zeros((2, n), np.float32)
    pans = {k: float(rng.uniform(-0.3, 0.3)) for k in kit}
    for t, kind, vel in drum_pattern(rng, song):
        if not kit.get(kind):
            continue
        s = kit[kind][rng.integers(len(kit[kind]))]
        i = int(t * SR)
        if i >= n:
            continue
        seg = s[:, : n - i] * (vel / 127.0) ** 1.5
        p = pans[kind]
        out[0, i : i + seg.shape[1]] += seg[0] * (1 - p)
        out[1, i : i + seg.shape[1]] += seg[1] * (1 + p)
    return out * 0.5



# Recorded (CC0) loops and guitar chords from sonic-pi-samples, for training only.
LOOPS = ["loop_amen", "loop_amen_full", "loop_breakbeat", "loop_compus", "loop_tabla",
         "loop_safari", "loop_mika", "loop_garzul", "loop_industrial"]
GUITARS = {"guit_em9": 4, "guit_e_fifths": 4, "guit_e_slide": 4, "guit_harmonics": 4}  # root: E
_SAMPLE_CACHE = {}


def sonic_pi(name):
    if name not in _SAMPLE_CACHE:
        x, sr = sf.read(os.path.join(SONIC_PI, name + ".flac"), dtype="float32", always_2d=True)
        x = x.T
        if x.shape[0] == 1:
            x = np.repeat(x, 2, 0)
        _SAMPLE_CACHE[name] = x[:2] if sr == SR else sps.resample_poly(x[:2], SR, sr, axis=1)
    return _SAMPLE_CACHE[name]


def recorded_layers(rng, song, n):
    """A real drum or percussion loop and/or strummed guitar chords on the song's bars."""
    out = np.zeros((2, n), np.float32)
    if rng.random() < 0.7:
        loop = resample_ratio(sonic_pi(str(rng.choice(LOOPS))), float(rng.uniform(0.85, 1.2)))
        reps = int(math.ceil(n / loop.shape[1]))
        layer = np.tile(loop, (1, reps))[:, :n]
        p = float(rng.uniform(-0.3, 0.3))
        out += layer * np.array([[1 - p], [1 + p]], np.float32)
    if rng.random() < 0.6:
        name = str(rng.choice(list(GUITARS)))
        p = float(rng.uniform(-0.8, 0.8))
        bar_len = 4 * song.beat
        every = float(rng.choice([0.5, 1.0])) * bar_len
        t = 0.0
        while t < song.seconds:
            bar = int(t / bar_len)
            root = song.chord_notes(bar, 4)[0]
            semis = (root - GUITARS[name] + 6) % 12 - 6
            g = resample_ratio(sonic_pi(name), 2 ** (semis / 12))
            i = int(t * SR)
            seg = g[:, : min(g.shape[1], n - i, int(every * SR * 1.5))]
            fade = np.minimum(1.0, np.linspace(8.0, 0.0, seg.shape[1]))  # no clicks when cut
            out[0, i : i + seg.shape[1]] += seg[0] * fade * (1 - p)
            out[1, i : i + seg.shape[1]] += seg[1] * fade * (1 + p)
            t += every
    return out
