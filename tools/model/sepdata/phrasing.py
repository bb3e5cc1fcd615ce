"""Sung phrasing for recorded speech: vowels held over the notes, consonants at speaking pace.

Speech stretched evenly keeps the rhythm of speech: short vowels, long consonants, a
syllable every fifth of a second. Singers hold the vowel of each syllable for its note
and keep the consonants short, just before the beat. Here a clip's syllable nuclei
(voiced loudness peaks) are found, each gets one note or more, and a piecewise duration
tier stretches the vowels onto them.
"""

import numpy as np
import scipy.signal as sps

VOWEL_STRETCH = (0.5, 20.0)  # PSOLA repeats a vowel's periods; past 20x it buzzes
CONSONANT_STRETCH = (0.3, 2.0)
MIN_VOWEL = 0.03  # s


def nuclei(x, sr):
    """Vowel-like spans (start s, end s) of a clip: peaks of voiced loudness at least
    80 ms apart, each running while it stays within 6 dB of its peak and voiced."""
    hop = max(1, int(0.01 * sr))
    win = 4 * hop
    if len(x) < 3 * win:
        return []
    f, _, z = sps.stft(x.astype(np.float64), sr, nperseg=win, noverlap=win - hop,
                       boundary=None, padded=False)
    p = np.abs(z) ** 2
    band = np.convolve(p[(f >= 250) & (f <= 3000)].sum(0), np.ones(5) / 5, mode="same")
    high = p[f >= 4000].sum(0)
    db = 10 * np.log10(band + 1e-12)
    top = float(db.max())
    voiced = (db > top - 25) & (band > 2 * high)  # fricatives carry most of their energy high
    peaks = [int(i) for i in sps.find_peaks(db, prominence=3, distance=8)[0]
             if voiced[i] and db[i] > top - 20]
    if not peaks and voiced.any():  # one syllable loudest at an edge: no interior peak
        peaks = [int(np.argmax(np.where(voiced, db, -np.inf)))]
    spans = []
    for j, pk in enumerate(peaks):
        # Never past the valley to a neighbouring peak.
        lo = peaks[j - 1] + int(np.argmin(db[peaks[j - 1]:pk])) if j else 0
        hi = pk + int(np.argmin(db[pk:peaks[j + 1]])) if j + 1 < len(peaks) else len(db) - 1
        a = pk
        while a > lo and voiced[a - 1] and db[a - 1] > db[pk] - 6:
            a -= 1
        b = pk
        while b < hi and voiced[b + 1] and db[b + 1] > db[pk] - 6:
            b += 1
        t0 = (a * hop + win / 2 - hop / 2) / sr
        t1 = (b * hop + win / 2 + hop / 2) / sr
        if t1 - t0 >= MIN_VOWEL:
            spans.append((t0, t1))
    return spans


def fit_notes(rel, m):
    """The notes (start, length, key) shared out over m syllables, in order: the longest
    note is split while there are more syllables than notes (repeated notes), and
    neighbouring notes share a syllable while there are fewer (a melisma)."""
    notes = list(rel)
    while len(notes) < m:
        j = max(range(len(notes)), key=lambda i: notes[i][1])
        t, d, k = notes[j]
        notes[j:j + 1] = [(t, d / 2, k), (t + d / 2, d / 2, k)]
    n = len(notes)
    return [notes[i * n // m:(i + 1) * n // m] for i in range(m)]


def warp(spans, dur, groups):
    """Breakpoints (source s, sung s) of a piecewise-linear time map for a clip of `dur`
    seconds: vowel i from the start of its first note to just before the next vowel's
    note, the consonants between at nearly their own pace, ending on the next beat.
    Sung times are relative to the notes' own origin; the first may be negative (the
    consonants before the first note). A vowel that cannot reach its note's bounds
    within VOWEL_STRETCH ends where it can; the next one starts on time again."""
    src = [0.0, spans[0][0]]
    out = [groups[0][0][0] - spans[0][0], groups[0][0][0]]
    for i, (a, b) in enumerate(spans):
        start = out[-1]
        if i + 1 < len(spans):
            gap = spans[i + 1][0] - b
            onset = max(groups[i + 1][0][0], start + MIN_VOWEL)
            cons = min(gap, 0.5 * (onset - start))
            want = onset - cons - start
        else:
            last = groups[i][-1]
            want = last[0] + last[1] - start
        length = float(np.clip(want, VOWEL_STRETCH[0] * (b - a), VOWEL_STRETCH[1] * (b - a)))
        src.append(b)
        out.append(start + length)
        if i + 1 < len(spans):
            gap = spans[i + 1][0] - b
            lo, hi = CONSONANT_STRETCH[0] * gap, CONSONANT_STRETCH[1] * gap
            src.append(spans[i + 1][0])
            out.append(out[-1] + float(np.clip(onset - out[-1], lo, hi)))
    src.append(dur)
    out.append(out[-1] + dur - spans[-1][1])
    return np.array(src), np.array(out)


def duration_points(src, out):
    """DurationTier points (source s, factor) holding each segment's stretch flat."""
    pts = []
    for i in range(len(src) - 1):
        ds = src[i + 1] - src[i]
        if ds <= 1e-4:
            continue
        fac = (out[i + 1] - out[i]) / ds
        eps = min(5e-4, ds / 4)
        pts += [(src[i] + eps, fac), (src[i + 1] - eps, fac)]
    return pts
