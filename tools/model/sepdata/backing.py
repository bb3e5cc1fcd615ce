"""Backing vocals as on records: doubles, stacked harmonies, "ooh/aah" pads, answers,
group vocals.

All of them belong to the vocal stem. A recorded speaker's take can be sung
again with the same words (a double, a harmony of the same singer); other
parts come from the synthetic voices.
"""

import numpy as np
import scipy.signal as sps

from .common import SR, normalise
from .production import compress, eq, panned, record_chain, reverb_ir
from .speech import sing
from .voices import formant_voice, gm_voice


def diatonic(song, key, steps):
    """key moved by `steps` degrees of the song's scale (a third is 2, a fifth 4)."""
    pcs = [(song.root + s) % 12 for s in song.scale]
    pc = key % 12
    # The nearest scale tone at or below the key, then count degrees from there.
    below = min(range(7), key=lambda i: (pc - pcs[i]) % 12)
    base = key - (pc - pcs[below]) % 12
    octs, deg = divmod(below + steps, 7)
    return base - song.scale[below] + song.scale[deg] + 12 * octs


def phrase_ends(notes):
    ends = []
    for j, (s, d, _) in enumerate(notes):
        if j + 1 == len(notes) or notes[j + 1][0] - (s + d) > 0.25:
            ends.append(s + d)
    return ends


def _other_voice(rng, song, pool, notes, tmp, name, val):
    if rng.random() < 0.5:
        return formant_voice(rng, song, notes, val)
    return gm_voice(rng, song, pool, notes, tmp, name)


def doubles(rng, song, notes, take, tmp, val, pool):
    """The lead sung again once or twice, a little late and detuned, panned wide."""
    n = int(song.seconds * SR)
    out = np.zeros((2, n), np.float32)
    sides = [-1, 1] if rng.random() < 0.6 else [float(rng.choice([-1, 1]))]
    for j, side in enumerate(sides):
        delay = float(rng.uniform(0.008, 0.04))
        if take is not None:
            v = sing(rng, take, n, tmp, f"dbl{j}", cents=float(rng.uniform(-15, 15)), delay=delay)
        else:
            late = [(s + delay, d, k) for (s, d, k) in notes]
            v = _other_voice(rng, song, pool, late, tmp, f"dbl{j}", val)
        spread = side * float(rng.uniform(0.5, 0.9))
        out += record_chain(rng, normalise(v), song, phrase_ends(notes), spread) \
            * float(rng.uniform(0.4, 0.8))
    return out


def harmonies(rng, song, notes, take, tmp, val, pool):
    """One to three stacked parts a third, fifth or octave from the lead."""
    n = int(song.seconds * SR)
    out = np.zeros((2, n), np.float32)
    for j in range(int(rng.integers(1, 4))):
        steps = int(rng.choice([2, 2, 4, -3, 7, -7]))
        moved = [(s, d, diatonic(song, k, steps)) for (s, d, k) in notes]
        if take is not None and rng.random() < 0.7:
            # The same singer, same words, on the harmony notes.
            shifted = [(s, clip, [(t, d, diatonic(song, k, steps)) for (t, d, k) in rel], sp)
                       for (s, clip, rel, sp) in take]
            v = sing(rng, shifted, n, tmp, f"har{j}", delay=float(rng.uniform(0, 0.02)))
        else:
            v = _other_voice(rng, song, pool, moved, tmp, f"har{j}", val)
        spread = float(rng.uniform(-0.8, 0.8))
        out += record_chain(rng, normalise(v), song, phrase_ends(notes), spread) \
            * float(rng.uniform(0.3, 0.7))
    return out


def pads(rng, song, notes, tmp, val, pool):
    """Sustained "ooh/aah" chords on the bars, two or three voices spread wide."""
    n = int(song.seconds * SR)
    out = np.zeros((2, n), np.float32)
    lo = int(np.median([k for (_, _, k) in notes])) - 5 if notes else 55
    bar = 4 * song.beat
    every = bar * float(rng.choice([1, 2]))
    for j in range(int(rng.integers(2, 4))):
        part = []
        t = 0.0
        while t < song.seconds:
            chord = song.chord_notes(int(t / bar), lo // 12, 3)
            key = chord[j % 3]
            while key < lo:
                key += 12
            part.append((t, every * 0.97, key))
            t += every
        v = _other_voice(rng, song, pool, part, tmp, f"pad{j}", val)
        spread = (-1) ** j * float(rng.uniform(0.4, 0.95))
        out += record_chain(rng, normalise(v), song, [], spread) * float(rng.uniform(0.3, 0.6))
    return out


def answers(rng, song, notes, take, tmp, val, pool):
    """Call and response: lead phrases echoed by another voice in the lead's rests."""
    n = int(song.seconds * SR)
    ends = phrase_ends(notes)
    starts = [notes[0][0]] + [s for j, (s, _, _) in enumerate(notes[1:], 1)
                              if s - (notes[j - 1][0] + notes[j - 1][1]) > 0.25] if notes else []
    part = []
    for end, nxt in zip(ends, starts[1:] + [song.seconds]):
        gap = nxt - end
        if gap < 0.8:
            continue
        src = [nt for nt in notes if nt[0] < end and nt[0] >= end - gap][-4:]
        if not src:
            continue
        off = end + 0.1 - src[0][0]
        part += [(s + off, min(d, gap * 0.8), diatonic(song, k, int(rng.choice([0, 2, 4]))))
                 for (s, d, k) in src if s + off < nxt - 0.1]
    if not part:
        return np.zeros((2, n), np.float32)
    v = _other_voice(rng, song, pool, part, tmp, "ans", val)
    spread = float(rng.uniform(-0.7, 0.7))
    return record_chain(rng, normalise(v), song, phrase_ends(part), spread)


def chorus_copies(rng, v, copies):
    """Mono v as a group sings it: each copy a little late, its pitch wandering (a slowly
    modulated delay, up to about 25 cents), panned across the stereo field."""
    n = len(v)
    t = np.arange(n) / SR
    out = np.zeros((2, n), np.float32)
    for _ in range(copies):
        depth = float(rng.uniform(0.0005, 0.003))
        rate = float(rng.uniform(0.1, 0.7))
        d = float(rng.uniform(0.0, 0.035)) + depth * (1 + np.sin(2 * np.pi * rate * t
                                                                 + rng.uniform(0, 2 * np.pi)))
        y = np.interp(t - d, t, v, left=0.0).astype(np.float32)
        out += panned(y * float(rng.uniform(0.6, 1.0)), float(rng.uniform(-0.9, 0.9)))
    return out


def group(rng, song, notes, take, tmp, val, pool):
    """Gang or choir vocals: one or two parts, each sung by a stack of 3-8 voices, on the
    lead's melody or a harmony of it, on one bus with its own compression and a long reverb.
    On records these sound like a pad, and still belong to the vocal stem."""
    n = int(song.seconds * SR)
    out = np.zeros((2, n), np.float32)
    for j in range(int(rng.integers(1, 3))):
        steps = int(rng.choice([0, 0, 2, 4, -3, 7]))
        moved = [(s, d, diatonic(song, k, steps)) for (s, d, k) in notes]
        if take is not None and rng.random() < 0.5:
            shifted = [(s, clip, [(t, d, diatonic(song, k, steps)) for (t, d, k) in rel], sp)
                       for (s, clip, rel, sp) in take]
            v = sing(rng, shifted, n, tmp, f"grp{j}")
        else:
            v = _other_voice(rng, song, pool, moved, tmp, f"grp{j}", val)
        out += chorus_copies(rng, normalise(v), int(rng.integers(3, 9)))
    out = eq(out, rng, 120, 400)
    out = compress(out, rng, float(rng.uniform(0.5, 1.2)))
    ir = reverb_ir(rng, float(rng.uniform(1.2, 3.0)), float(rng.uniform(0.01, 0.06)))
    wet = np.stack([sps.fftconvolve(out[c], ir[c])[:n] for c in range(2)])
    return (out + float(rng.uniform(0.2, 0.7)) * wet).astype(np.float32)


def backing_vocals(rng, song, notes, take, tmp, val, pool, groups=0.0):
    """Some mix of doubles, harmonies, pads, answers and, in a share `groups` of the songs,
    group vocals (stereo, unit-ish level)."""
    n = int(song.seconds * SR)
    out = np.zeros((2, n), np.float32)
    if rng.random() < 0.5:
        out += doubles(rng, song, notes, take, tmp, val, pool)
    if rng.random() < 0.6:
        out += harmonies(rng, song, notes, take, tmp, val, pool)
    if rng.random() < 0.3:
        out += pads(rng, song, notes, tmp, val, pool)
    if rng.random() < 0.25:
        out += answers(rng, song, notes, take, tmp, val, pool)
    # No draw when off, so the sets made before group vocals existed come out the same.
    if groups > 0 and rng.random() < groups:
        out += group(rng, song, notes, take, tmp, val, pool)
    return out

