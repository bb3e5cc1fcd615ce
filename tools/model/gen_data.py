#!/usr/bin/python3
"""Generate synthetic vocal/accompaniment stems for training and validation.

Every sound comes from redistributable Debian packages (see README.md): songs
are written as MIDI by this script and rendered with fluidsynth and
FluidR3_GM.sf2, drums also from hydrogen-drumkits samples, voices from the GM
voice presets, a formant singing synthesiser below and espeak-ng.

Each item is stored as float16 [2 stems (vocals, accompaniment), 2 channels, N]
in OUT/NNNNN.npy. The "val" split uses other seeds, instruments, drum kits,
voices and mixing ranges than "train".

Usage:
    nice -n 15 /usr/bin/python3 tools/model/gen_data.py --split train --count 500 --out /tmp/sepdata/train
    nice -n 15 /usr/bin/python3 tools/model/gen_data.py --split val --count 24 --seconds 30 --out /tmp/sepdata/val
"""

import argparse
import glob
import shutil
import math
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
from multiprocessing import Pool

import numpy as np
import scipy.signal as sps
import soundfile as sf

SR = 44100
SF2 = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
HYDROGEN = "/usr/share/hydrogen/data/drumkits"
FESTIVAL = shutil.which("text2wave") is not None
SONIC_PI = "/usr/share/sonic-pi/samples"  # recorded CC0 loops and guitar chords
SONIC_PI_OK = os.path.isdir(SONIC_PI)
FESTIVAL_VOICES_DIR = "/usr/share/festival/voices"
# Diphone voices recorded from real speakers (female ones marked) that follow singing pitches.
# "valrec" keeps two speakers that training never hears.
FESTIVAL_VOICES = {
    "train": [("kal_diphone", False), ("lp_diphone", True), ("czech_dita", True)],
    "valrec": [("ked_diphone", False), ("suo_fi_lj_diphone", True)],
}
# Recorded instrumental game soundtracks; "valrec" holds out a whole package.
MUSIC_SOURCES = {
    "train": ["/usr/share/games/nexuiz/data/music.pk3", "/usr/share/games/warzone2100/music"],
    "valrec": ["/usr/share/games/singularity/music"],
}
MUSIC_EXTS = (".ogg", ".opus")

# Instrument pools; val takes the programs that train never sees.
_CHORD_ALL = [p for p in list(range(0, 32)) + list(range(40, 52)) + list(range(56, 64))
              + list(range(80, 85)) + [86, 87, 88, 89, 90, 92, 93, 94, 95]
              if p not in (52, 53, 54, 85, 91)]  # voice-like presets are never accompaniment
POOLS = {
    "train": {
        "chord": [p for p in _CHORD_ALL if p % 3 != 0],
        "bass": [33, 34, 35, 38, 39],
        "lead": [56, 65, 66, 68, 71, 40, 81, 82, 57],
        "gm_voice": [52, 53, 54],
        "gm_drums": [0, 16, 25, 32, 48],
        "espeak": ["en-us", "de", "es", "it", "pt", "en-gb", "pl", "ro", "id", "sw"],
        "variants": ["m1", "m2", "m3", "m4", "f1", "f2", "f3", "klatt", "m6"],
    },
    "val": {
        "chord": [p for p in _CHORD_ALL if p % 3 == 0],
        "bass": [32, 36, 37],
        "lead": [64, 67, 73, 74, 41, 80, 83, 60],
        "gm_voice": [85, 53],
        "gm_drums": [8, 24, 40],
        "espeak": ["fr-fr", "nl", "sv", "fi", "hu", "cs"],
        "variants": ["m5", "m7", "f4", "f5", "klatt3", "Andy"],
    },
}
POOLS["valrec"] = POOLS["val"]
MAJOR = [0, 2, 4, 5, 7, 9, 11]
MINOR = [0, 2, 3, 5, 7, 8, 10]
PROGRESSIONS = [[0, 4, 5, 3], [0, 5, 3, 4], [0, 3, 4, 4], [5, 3, 0, 4], [0, 3, 0, 4],
                [0, 4, 5, 2, 3, 0, 3, 4], [1, 4, 0, 0], [0, 6, 5, 4]]


# ---------------------------------------------------------------- MIDI writing
def _varlen(v: int) -> bytes:
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(out))


class Midi:
    """Tiny single-track MIDI writer; times in seconds at a fixed tempo."""

    TPQ = 480

    def __init__(self, bpm: float):
        self.bpm = bpm
        self.events = []  # (tick, order, bytes)

    def tick(self, sec: float) -> int:
        return max(0, int(round(sec * self.bpm / 60.0 * self.TPQ)))

    def add(self, sec: float, data: bytes, order: int = 1) -> None:
        self.events.append((self.tick(sec), order, data))

    def program(self, ch, prog, bank=0):
        self.add(0, bytes([0xB0 | ch, 0, bank]), 0)
        self.add(0, bytes([0xC0 | ch, prog]), 0)

    def cc(self, sec, ch, num, val):
        self.add(sec, bytes([0xB0 | ch, num, int(np.clip(val, 0, 127))]), 0)

    def note(self, sec, dur, ch, key, vel):
        key = int(np.clip(key, 0, 127))
        self.add(sec, bytes([0x90 | ch, key, int(np.clip(vel, 1, 127))]), 2)
        self.add(sec + max(dur, 0.02), bytes([0x80 | ch, key, 0]), 0)

    def bend(self, sec, ch, semis):
        v = int(np.clip(8192 + semis / 2.0 * 8192, 0, 16383))
        self.add(sec, bytes([0xE0 | ch, v & 0x7F, v >> 7]), 1)

    def save(self, path):
        tempo = int(60_000_000 / self.bpm)
        ev = [(0, -1, b"\xFF\x51\x03" + tempo.to_bytes(3, "big"))] + self.events
        ev.sort(key=lambda e: (e[0], e[1]))
        body = b""
        last = 0
        for t, _, d in ev:
            body += _varlen(t - last) + d
            last = t
        body += b"\x00\xFF\x2F\x00"
        with open(path, "wb") as f:
            f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, self.TPQ))
            f.write(b"MTrk" + struct.pack(">I", len(body)) + body)


def render(midi: Midi, seconds: float, tmp: str, name: str, fx: bool) -> np.ndarray:
    mid = os.path.join(tmp, name + ".mid")
    wav = os.path.join(tmp, name + ".wav")
    midi.save(mid)
    cmd = ["fluidsynth", "-ni", "-q", "-r", str(SR), "-g", "0.5", "-F", wav, "-T", "wav"]
    if not fx:
        cmd += ["-o", "synth.reverb.active=0", "-o", "synth.chorus.active=0"]
    subprocess.run(cmd + [SF2, mid], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    x, _ = sf.read(wav, dtype="float32", always_2d=True)
    return fit(x.T, int(seconds * SR))


def fit(x: np.ndarray, n: int) -> np.ndarray:
    if x.shape[1] >= n:
        return x[:, :n]
    return np.pad(x, ((0, 0), (0, n - x.shape[1])))


# ---------------------------------------------------------------- song plan
class Song:
    def __init__(self, rng, seconds):
        self.bpm = float(rng.uniform(70, 150))
        self.beat = 60.0 / self.bpm
        self.root = int(rng.integers(0, 12))
        self.scale = MAJOR if rng.random() < 0.6 else MINOR
        self.prog = PROGRESSIONS[rng.integers(len(PROGRESSIONS))]
        self.seconds = seconds
        self.bars = int(math.ceil(seconds / (4 * self.beat))) + 1

    def degree_note(self, degree, octave):
        d = degree % 7
        return 12 * (octave + degree // 7) + self.root + self.scale[d]

    def chord(self, bar):
        return self.prog[bar % len(self.prog)]

    def chord_notes(self, bar, octave, size=3):
        d = self.chord(bar)
        return [self.degree_note(d + 2 * i, octave) for i in range(size)]


def write_accompaniment(rng, song, pool, m: Midi, use_gm_drums: bool):
    ch = 0
    beat = song.beat
    # Bass near the centre so that "centre" never means "voice".
    m.program(ch, int(rng.choice(pool["bass"])))
    m.cc(0, ch, 10, 64 + rng.integers(-8, 9))
    m.cc(0, ch, 91, rng.integers(0, 40))
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
        m.program(ch, int(rng.choice(pool["chord"])))
        m.cc(0, ch, 10, rng.integers(0, 128))
        m.cc(0, ch, 91, rng.integers(10, 100))
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
        m.program(ch, int(rng.choice(pool["lead"])))
        m.cc(0, ch, 10, rng.integers(20, 108))
        m.cc(0, ch, 91, rng.integers(20, 90))
        t = float(rng.uniform(0, 2)) * beat
        deg = int(rng.integers(0, 7))
        while t < song.seconds:
            d = beat * float(rng.choice([0.5, 1, 1, 2, 3]))
            if rng.random() < 0.8:
                m.note(t, d * 0.9, ch, song.degree_note(deg, 5), rng.integers(60, 110))
            deg = int(np.clip(deg + rng.integers(-2, 3), -3, 10))
            t += d
    if use_gm_drums:
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


def resample_ratio(x, ratio):
    """Plays x `ratio` times faster (and higher)."""
    up = 1000
    return sps.resample_poly(x, up, int(round(up * ratio)), axis=1).astype(np.float32)


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


def layer_over(base, layer, db):
    """`base` plus `layer` brought to base's RMS level, then by `db`."""
    level = np.sqrt((base ** 2).mean()) / (np.sqrt((layer ** 2).mean()) + 1e-9)
    return base + layer * level * 10 ** (db / 20)


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


# ---------------------------------------------------------------- voices
def phrase_plan(rng, song):
    """Sung notes as (start, duration, MIDI key) grouped into phrases with rests."""
    lo = int(rng.choice([48, 52, 55, 57, 60]))
    t = float(rng.uniform(0.0, 2.0))
    notes = []
    deg = int(rng.integers(0, 5))
    base_oct = lo // 12
    while t < song.seconds:
        plen = float(rng.uniform(1.5, 5.0))
        end = min(t + plen, song.seconds)
        while t < end:
            d = song.beat * float(rng.choice([0.5, 0.5, 1, 1, 1.5, 2, 3]))
            key = song.degree_note(deg, base_oct)
            while key < lo:
                key += 12
            while key > lo + 17:
                key -= 12
            notes.append((t, min(d, end - t + 0.3), key))
            deg += int(rng.choice([-2, -1, -1, 0, 1, 1, 2, 3, -3]))
            t += d
        t += float(rng.uniform(0.3, 2.5))
    return notes


def gm_voice(rng, song, pool, notes, tmp, name):
    m = Midi(song.bpm)
    m.program(0, int(rng.choice(pool["gm_voice"])))
    m.cc(0, 0, 10, 64)
    m.cc(0, 0, 91, 0)
    rate = float(rng.uniform(4.5, 6.5))
    depth = float(rng.uniform(0.1, 0.5))
    for (s, d, key) in notes:
        m.note(s, d * 0.97, 0, key, rng.integers(70, 120))
        scoop = float(rng.uniform(-1.2, 0)) if rng.random() < 0.5 else 0.0
        steps = int(d / 0.02)
        for i in range(steps):
            tt = i * 0.02
            b = scoop * max(0.0, 1 - tt / 0.1)
            if tt > 0.25:
                b += depth * math.sin(2 * math.pi * rate * tt)
            m.bend(s + tt, 0, b)
            if i % 3 == 0:
                m.cc(s + tt, 0, 11, 80 + 47 * min(1.0, tt / max(0.3, d * 0.5)))
    x = render(m, song.seconds, tmp, name, fx=False)
    return x.mean(0)


# Formant frequencies (Hz) and bandwidths of sung vowels, adult male; scaled for others.
VOWELS = {
    "a": ([730, 1090, 2440, 3400], [90, 110, 160, 250]),
    "e": ([530, 1840, 2480, 3500], [70, 100, 160, 250]),
    "i": ([290, 2250, 3000, 3700], [60, 100, 170, 250]),
    "o": ([570, 840, 2410, 3300], [80, 90, 160, 250]),
    "u": ([300, 870, 2240, 3300], [60, 90, 160, 250]),
    "ae": ([660, 1720, 2410, 3400], [80, 100, 160, 250]),
    "er": ([490, 1350, 1690, 3300], [70, 100, 140, 250]),
}


def formant_voice(rng, song, notes, val):
    n = int(song.seconds * SR)
    ctrl = 128  # control rate in samples
    nc = n // ctrl + 2
    tc = np.arange(nc) * ctrl / SR
    f0 = np.full(nc, np.nan)
    amp = np.zeros(nc)
    vowel_track = np.zeros((nc, 4))
    bw_track = np.zeros((nc, 4))
    fscale = float(rng.uniform(1.0, 1.25) if notes and notes[0][2] >= 57 else rng.uniform(0.9, 1.1))
    if val:
        fscale *= float(rng.uniform(0.92, 1.12))
    rate = float(rng.uniform(4.0, 7.0))
    depth = float(rng.uniform(0.05, 0.6))  # semitones
    consonants = []
    names = list(VOWELS)
    prev_key = None
    for (s, d, key) in notes:
        i0, i1 = int(s * SR / ctrl), min(nc, int((s + d) * SR / ctrl))
        if i1 <= i0:
            continue
        tt = tc[i0:i1] - s
        k = np.full(i1 - i0, float(key))
        if prev_key is not None and rng.random() < 0.5:  # glide from the last note
            k += (prev_key - key) * np.exp(-tt / float(rng.uniform(0.03, 0.12)))
        k += depth * np.sin(2 * np.pi * rate * tt) * np.clip((tt - 0.2) / 0.3, 0, 1)
        f0[i0:i1] = 440.0 * 2 ** ((k - 69) / 12)
        att = float(rng.uniform(0.02, 0.1))
        env = np.clip(tt / att, 0, 1) * np.clip((d - tt) / 0.06, 0, 1)
        env *= 1 + float(rng.uniform(-0.3, 0.3)) * tt / max(d, 0.1)  # swell or fade
        amp[i0:i1] = env * float(rng.uniform(0.5, 1.0))
        v1 = VOWELS[names[rng.integers(len(names))]]
        v2 = VOWELS[names[rng.integers(len(names))]]
        w = np.clip(tt / max(d, 0.1), 0, 1)[:, None] ** 2
        vowel_track[i0:i1] = (np.array(v1[0])[None] * (1 - w) + np.array(v2[0])[None] * w) * fscale
        bw_track[i0:i1] = np.array(v1[1])[None]
        if rng.random() < 0.6:
            consonants.append((s, rng.integers(3)))
        prev_key = key
    # Slow random pitch drift and jitter; breathy or pressed source tilt.
    drift = np.cumsum(rng.normal(0, 0.004, nc))
    drift -= sps.savgol_filter(drift, 301 if nc > 301 else (nc // 2) * 2 - 1, 1) if nc > 5 else 0
    f0 = f0 * 2 ** (drift / 12)
    voiced = ~np.isnan(f0)
    f0 = np.where(voiced, f0, 200.0)
    tilt = float(rng.uniform(0.8, 1.6))
    # Per-sample f0 and harmonic phases.
    ts = np.arange(n) / SR
    f0s = np.interp(ts, tc, f0).astype(np.float64)
    phase = 2 * np.pi * np.cumsum(f0s) / SR
    amps = np.interp(ts, tc, amp).astype(np.float32)
    out = np.zeros(n, np.float32)
    kmax = int(min(60, 9000 / max(f0[voiced].min() if voiced.any() else 200, 80)))
    for k in range(1, kmax + 1):
        fk = f0 * k
        env = np.zeros(nc)
        for j in range(4):
            fj = vowel_track[:, j]
            bj = bw_track[:, j] + 1
            env += (1.0 / (1 + ((fk - fj) / (bj / 2)) ** 2)) * (0.9 ** j)
        env = env / (k ** (tilt * 0.5)) * (fk < 10000)
        a = np.interp(ts, tc, env).astype(np.float32)
        out += a * np.sin(k * phase).astype(np.float32)
    out *= amps
    # Breath noise shaped like the vocal tract, and consonant bursts.
    noise = rng.normal(0, 1, n).astype(np.float32)
    b, a = sps.butter(2, [1500, 9000], btype="band", fs=SR)
    breath = sps.lfilter(b, a, noise).astype(np.float32) * amps * float(rng.uniform(0.02, 0.15))
    out += breath
    for (s, kind) in consonants:
        i = int(s * SR)
        L = int(SR * [0.12, 0.03, 0.07][kind])
        if i + L >= n:
            continue
        lo_hi = [[4000, 12000], [1000, 6000], [2500, 9000]][kind]
        b, a = sps.butter(2, lo_hi, btype="band", fs=SR)
        burst = sps.lfilter(b, a, rng.normal(0, 1, L)) * np.hanning(L) * 0.3
        out[i : i + L] += burst.astype(np.float32)
    return out


SYLLABLES = ["la", "na", "da", "ma", "lo", "no", "do", "mi", "ni", "li", "ba", "ya", "ooh", "ah",
             "hey", "love", "you", "me", "sky", "night", "day", "fire", "heart", "baby", "oh",
             "go", "home", "sun", "rain", "dream", "time", "way", "light", "stay", "fly", "away"]


def group_phrases(notes):
    """Notes back into phrases: a gap of more than 0.25 s starts a new one."""
    phrases = []
    cur = []
    for nt in notes:
        if cur and nt[0] - (cur[-1][0] + cur[-1][1]) > 0.25:
            phrases.append(cur)
            cur = []
        cur.append(nt)
    if cur:
        phrases.append(cur)
    return phrases


def add_at(out, x, start):
    """Mixes x into out from `start` seconds, cut at the end of out."""
    i = int(start * SR)
    L = min(len(x), len(out) - i)
    if L > 0:
        out[i : i + L] += x[:L]


def espeak_voice(rng, song, pool, notes, tmp, name):
    n = int(song.seconds * SR)
    out = np.zeros(n, np.float32)
    lang = str(rng.choice(pool["espeak"]))
    var = str(rng.choice(pool["variants"]))
    speed = int(rng.integers(80, 160))
    base = int(rng.integers(20, 80))
    phrases = group_phrases(notes)  # one espeak line per phrase
    for pi, ph in enumerate(phrases):
        words = []
        for (_, _, key) in ph:
            w = SYLLABLES[rng.integers(len(SYLLABLES))]
            pct = int(np.clip((key - ph[0][2]) * 8, -60, 90))
            words.append(f'<prosody pitch="{pct:+d}%">{w}</prosody>')
        ssml = "<speak>" + " ".join(words) + "</speak>"
        wav = os.path.join(tmp, f"{name}_{pi}.wav")
        subprocess.run(["espeak-ng", "-m", "-v", f"{lang}+{var}", "-s", str(speed), "-p", str(base),
                        "-w", wav, ssml], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        x, sr = sf.read(wav, dtype="float32")
        if x.ndim > 1:
            x = x.mean(1)
        # Resampling by a random ratio shifts pitch and formants: more voice types.
        ratio = float(rng.uniform(0.85, 1.2))
        x = sps.resample_poly(x, int(SR / 100), int(sr * ratio / 100)).astype(np.float32)
        add_at(out, x, ph[0][0])
    return out


def vibrato(x, rng, sr):
    """Pitch vibrato through a delay line swept at 4.5-6.5 Hz (depth up to ~0.4 semitone)."""
    rate = float(rng.uniform(4.5, 6.5))
    depth = float(rng.uniform(0.0, 0.025)) / (2 * math.pi * rate)  # seconds of sweep
    t = np.arange(len(x)) / sr
    src = (t - depth * (1 + np.sin(2 * math.pi * rate * t))) * sr
    return np.interp(src, np.arange(len(x)), x).astype(np.float32)


def festival_voices(split):
    """The installed Festival voices of a split, as (name, female) pairs."""
    if not FESTIVAL:
        return []
    return [(v, f) for (v, f) in FESTIVAL_VOICES.get(split, [])
            if glob.glob(os.path.join(FESTIVAL_VOICES_DIR, "*", v))]


def festival_voice(rng, song, notes, tmp, name, voice):
    """Festival's singing mode: a diphone voice recorded from a real speaker, sung on the notes."""
    n = int(song.seconds * SR)
    out = np.zeros(n, np.float32)
    speaker, female = voice
    # Resampling gives other voice types (formants move too); less of it for female speakers.
    ratio = float(rng.uniform(0.85, 1.15) if female else rng.uniform(0.9, 1.35))
    phrases = group_phrases(notes)
    for pi, ph in enumerate(phrases):
        # The diphone synthesiser crashes outside about 100-500 Hz: move such phrases by octaves.
        keys = [k for (_, _, k) in ph]
        shift = 0
        while 440.0 * 2 ** ((max(keys) + shift - 69) / 12) / ratio > 450 and shift > -36:
            shift -= 12
        while 440.0 * 2 ** ((min(keys) + shift - 69) / 12) / ratio < 110 and shift < 36:
            shift += 12
        body = []
        for (s, d, key) in ph:
            w = SYLLABLES[rng.integers(len(SYLLABLES))]
            f = 440.0 * 2 ** ((key + shift - 69) / 12) / ratio
            body.append(f'<PITCH FREQ="{f:.1f}"><DURATION SECONDS="{d * ratio:.3f}">{w}'
                        '</DURATION></PITCH>')
        xml = os.path.join(tmp, f"{name}_{pi}.xml")
        wav = os.path.join(tmp, f"{name}_{pi}.wav")
        with open(xml, "w") as fh:
            fh.write('<?xml version="1.0"?>\n<!DOCTYPE SINGING PUBLIC "-//SINGING//DTD SINGING '
                     'mark up//EN" "Singing.v0_1.dtd" []>\n<SINGING BPM="60">\n'
                     + "\n".join(body) + "\n</SINGING>\n")
        done = subprocess.run(["text2wave", "-eval", f"(voice_{speaker})", "-mode", "singing",
                               xml, "-o", wav],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if done.returncode != 0 or not os.path.exists(wav):
            continue  # a phrase it cannot sing stays a rest
        x, sr = sf.read(wav, dtype="float32")
        if x.ndim > 1:
            x = x.mean(1)
        x = vibrato(x, rng, sr)
        x = sps.resample_poly(x, int(SR / 100), int(sr * ratio / 100)).astype(np.float32)
        add_at(out, x, ph[0][0])
    return out


def make_voice(rng, song, pool, tmp, name, split):
    """A lead voice; returns (mono voice, notes, kind, Festival speaker or None)."""
    val = split != "train"
    notes = phrase_plan(rng, song)
    r = rng.random()
    # Festival's speakers differ per split; "val" has none of them.
    voices = festival_voices(split)
    sung = {"train": 0.45, "valrec": 0.6}.get(split, 0.0) if voices else 0.0
    rest = 1.0 - sung
    speaker = None
    if r < sung:
        speaker = voices[rng.integers(len(voices))]
        v = festival_voice(rng, song, notes, tmp, name, speaker)
        kind = "festival"
    elif r < sung + rest * 0.35:
        v = gm_voice(rng, song, pool, notes, tmp, name)
        kind = "gm"
    elif r < sung + rest * 0.75:
        v = formant_voice(rng, song, notes, val)
        kind = "formant"
    else:
        v = espeak_voice(rng, song, pool, notes, tmp, name)
        kind = "espeak"
    return v, notes, kind, speaker


# ---------------------------------------------------------------- mixing
def reverb_ir(rng, rt60, predelay):
    L = int(SR * min(rt60 * 1.2, 3.0))
    t = np.arange(L) / SR
    env = np.exp(-6.9 * t / rt60)
    ir = rng.normal(0, 1, (2, L)) * env
    # Darker tail: high frequencies die faster in real rooms.
    b, a = sps.butter(1, float(rng.uniform(3000, 9000)), fs=SR)
    ir = sps.lfilter(b, a, ir, axis=1)
    ir = np.pad(ir, ((0, 0), (int(predelay * SR), 0)))
    return (ir / np.sqrt((ir ** 2).sum(1, keepdims=True))).astype(np.float32)


def compress(x, rng, amount):
    # Frame-wise gain computer on the summed channels, smoothed; same gain on both channels.
    hop = 512
    mono = x.mean(0) if x.ndim == 2 else x
    nf = len(mono) // hop + 1
    pad = np.pad(mono, (0, nf * hop - len(mono)))
    rms = np.sqrt((pad.reshape(nf, hop) ** 2).mean(1) + 1e-10)
    db = 20 * np.log10(rms)
    thr = np.percentile(db, 70) - amount * 6
    ratio = 1 + amount * 4
    g = np.where(db > thr, (thr - db) * (1 - 1 / ratio), 0)
    g = sps.lfilter([0.3], [1, -0.7], g)
    gs = np.interp(np.arange(len(mono)), np.arange(nf) * hop + hop / 2, 10 ** (g / 20))
    return (x * gs).astype(np.float32)


def eq(x, rng, hp_lo, hp_hi):
    b, a = sps.butter(2, float(rng.uniform(hp_lo, hp_hi)), btype="high", fs=SR)
    x = sps.lfilter(b, a, x, axis=-1)
    # Random presence or darkness: a peaking band added or subtracted.
    fc = float(rng.uniform(1500, 6000))
    b, a = sps.butter(1, [fc / 1.5, fc * 1.5], btype="band", fs=SR)
    x = x + float(rng.uniform(-0.4, 0.6)) * sps.lfilter(b, a, x, axis=-1)
    return x.astype(np.float32)


def mix_voice(rng, v, song, val):
    v = eq(v, rng, 60, 180)
    v = compress(v, rng, float(rng.uniform(0.2, 1.0)))
    pan = float(rng.uniform(-0.12, 0.12))
    dry = np.stack([v * (1 - pan), v * (1 + pan)])
    rt = float(rng.uniform(0.5, 3.0) if val else rng.uniform(0.4, 2.5))
    ir = reverb_ir(rng, rt, float(rng.uniform(0.0, 0.06)))
    wet = np.stack([sps.fftconvolve(v, ir[c])[: len(v)] for c in range(2)])
    out = dry + float(rng.uniform(0.1, 0.5)) * wet
    if rng.random() < 0.3:  # echo on the beat grid, ping-pong
        d = int(song.beat * float(rng.choice([0.5, 0.75, 1.0])) * SR)
        fb = float(rng.uniform(0.2, 0.45))
        e = np.zeros_like(out)
        src = dry.copy()
        for k in range(1, 5):
            if d * k >= out.shape[1]:
                break
            e[k % 2, d * k :] += src[0, : out.shape[1] - d * k] * fb ** k
        out = out + e
    return out.astype(np.float32)


def make_item(args):
    idx, split, seconds, out_dir, seed, tracks = args
    path = os.path.join(out_dir, f"{idx:05d}.npy")
    if os.path.exists(path):
        return path, 0.0
    t0 = time.time()
    rng = np.random.default_rng([seed, idx, 0 if split == "train" else 1])
    pool = POOLS[split]
    val = split != "train"
    kits = sorted(glob.glob(os.path.join(HYDROGEN, "*")))
    kits = kits[:10] if not val else kits[10:]
    n = int(seconds * SR)
    song = Song(rng, seconds)
    with tempfile.TemporaryDirectory(dir="/tmp") as tmp:
        use_hydrogen = bool(kits) and rng.random() < 0.5
        m = Midi(song.bpm)
        write_accompaniment(rng, song, pool, m, use_gm_drums=not use_hydrogen)
        acc = render(m, seconds, tmp, "acc", fx=True)
        if use_hydrogen:
            acc = acc + hydrogen_drums(rng, song, kits, n) * float(rng.uniform(0.5, 1.5))
        if not val and SONIC_PI_OK and rng.random() < 0.4:
            acc = layer_over(acc, recorded_layers(rng, song, n), rng.uniform(-6, 3))
        acc = compress(acc, rng, float(rng.uniform(0.0, 0.8)))
        # A recorded, already mastered track: alone, or over the rendered one.
        if tracks and rng.random() < (0.35 if split == "train" else 1.0):
            rec = recorded_music(rng, tracks, n)
            acc = rec if rng.random() < 0.6 else layer_over(rec, acc, rng.uniform(-9, 0))
        if rng.random() < 0.06:  # instrumental passages exist: no voice at all
            voc = np.zeros((2, n), np.float32)
            kind = "none"
        else:
            v, notes, kind, speaker = make_voice(rng, song, pool, tmp, "voc", split)
            v = v / (np.sqrt((v ** 2).mean()) + 1e-9)
            voc = mix_voice(rng, v, song, val)
            if rng.random() < 0.33:  # harmony or double track, slightly off centre
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
        voc = voc / (np.sqrt((voc ** 2).mean()) + 1e-9) * 0.1 * 10 ** (rng.uniform(-8, 3) / 20)
    if rng.random() < 0.5:  # channels swapped at random
        acc = acc[::-1]
        voc = voc[::-1]
    peak = max(np.abs(acc + voc).max(), 1e-9)
    if peak > 0.98:
        acc, voc = acc * 0.98 / peak, voc * 0.98 / peak
    item = np.stack([voc, acc]).astype(np.float16)
    np.save(path + ".tmp.npy", item)
    os.replace(path + ".tmp.npy", path)
    return path, time.time() - t0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--split", choices=["train", "val", "valrec"], required=True)
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--seconds", type=float, default=12.0)
    ap.add_argument("--out", required=True)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--workers", type=int, default=2)
    ap.add_argument("--music-cache", default="/tmp/sepdata/music",
                    help="where the soundtracks are decoded once")
    args = ap.parse_args()
    seed = args.seed if args.seed is not None else {"train": 1, "val": 1001, "valrec": 2001}[args.split]
    os.makedirs(args.out, exist_ok=True)
    tracks = music_tracks(args.split, args.music_cache)
    if args.split == "valrec" and not tracks:
        sys.exit("gen_data.py: valrec needs singularity-music (scripts/bootstrap --model-training)")
    print(f"{len(tracks)} recorded tracks", flush=True)
    jobs = [(i, args.split, args.seconds, args.out, seed, tracks) for i in range(args.count)]
    t0 = time.time()
    with Pool(args.workers) as pool:
        for k, (p, dt) in enumerate(pool.imap_unordered(make_item, jobs)):
            if k % 20 == 0:
                print(f"{k + 1}/{len(jobs)} {p} {dt:.1f}s (elapsed {time.time() - t0:.0f}s)",
                      flush=True)
    print(f"done: {len(jobs)} items in {time.time() - t0:.0f}s", flush=True)


if __name__ == "__main__":
    sys.exit(main())
