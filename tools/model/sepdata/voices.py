"""Synthetic and diphone lead voices: GM presets, formant singer, espeak-ng, Festival."""

import glob
import math
import os
import shutil
import subprocess

import numpy as np
import scipy.signal as sps
import soundfile as sf

from .common import SR, add_at, group_phrases
from . import speech
from .midi import Midi, render


FESTIVAL = shutil.which("text2wave") is not None
FESTIVAL_VOICES_DIR = "/usr/share/festival/voices"
# Diphone voices recorded from real speakers (female ones marked) that follow singing pitches.
# "valrec" keeps two speakers that training never hears.
FESTIVAL_VOICES = {
    "train": [("kal_diphone", False), ("lp_diphone", True), ("czech_dita", True)],
    "valrec": [("ked_diphone", False), ("suo_fi_lj_diphone", True)],
}
FESTIVAL_VOICES["valvoice"] = FESTIVAL_VOICES["valrec"]


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


def make_voice(rng, song, pool, tmp, name, split, held=0.0):
    """A lead voice; returns (mono voice, notes, kind, Festival speaker or None,
    recorded speaker's take or None). held: share of a recorded speaker's sung phrases
    with the vowels held over the notes."""
    val = split != "train"
    notes = phrase_plan(rng, song)
    r = rng.random()
    # Festival's and the recorded speakers differ per split; "val" has none of them.
    voices = festival_voices(split)
    recorded = speech.speakers(split)
    if recorded:
        rec_share = {"train": 0.45, "valvoice": 0.7}.get(split, 0.0)
        if r < rec_share:
            # Sentence and syllable corpora weigh the same, whatever their speaker counts.
            lines = [s for s in recorded if s.kind == "lines"]
            sylls = [s for s in recorded if s.kind != "lines"]
            group = lines if (rng.random() < 0.5 and lines) or not sylls else sylls
            who = group[rng.integers(len(group))]
            v, take, notes = speech.recorded_voice(rng, song, notes, tmp, name, who, held)
            return v, notes, "recorded", None, take
        r = (r - rec_share) / (1.0 - rec_share)
    sung = {"train": 0.45, "valrec": 0.6, "valvoice": 0.6}.get(split, 0.0) if voices else 0.0
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
    return v, notes, kind, speaker, None
