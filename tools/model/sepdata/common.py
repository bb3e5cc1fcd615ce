"""Shared constants and small signal helpers of the training-data generator."""

import numpy as np
import scipy.signal as sps


SR = 44100


def fit(x: np.ndarray, n: int) -> np.ndarray:
    if x.shape[1] >= n:
        return x[:, :n]
    return np.pad(x, ((0, 0), (0, n - x.shape[1])))


def add_at(out, x, start):
    """Mixes x into out from `start` seconds, cut at the end of out."""
    i = int(start * SR)
    L = min(len(x), len(out) - i)
    if L > 0:
        out[i : i + L] += x[:L]


def resample_ratio(x, ratio):
    """Plays x `ratio` times faster (and higher)."""
    up = 1000
    return sps.resample_poly(x, up, int(round(up * ratio)), axis=1).astype(np.float32)


def layer_over(base, layer, db):
    """`base` plus `layer` brought to base's RMS level, then by `db`."""
    level = np.sqrt((base ** 2).mean()) / (np.sqrt((layer ** 2).mean()) + 1e-9)
    return base + layer * level * 10 ** (db / 20)


def rms(x):
    return float(np.sqrt((x ** 2).mean()))


def normalise(x):
    """x at unit RMS (silence stays silence)."""
    return x / (np.sqrt((x ** 2).mean()) + 1e-9)


def group_phrases(notes, gap=0.25):
    """Notes (start, length, key) back into phrases: a gap of more than `gap` s starts one."""
    phrases, cur = [], []
    for nt in notes:
        if cur and nt[0] - (cur[-1][0] + cur[-1][1]) > gap:
            phrases.append(cur)
            cur = []
        cur.append(nt)
    if cur:
        phrases.append(cur)
    return phrases
