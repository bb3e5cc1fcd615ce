"""Vocal production and mixing: EQ, compression, reverb, echo, record-style chains, mastering."""

import numpy as np
import scipy.ndimage as ndi
import scipy.signal as sps

from .common import SR


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


def compress_gain(mono, amount):
    """Per-sample gain of a frame-wise compressor (threshold from the level spread), smoothed."""
    hop = 512
    nf = len(mono) // hop + 1
    pad = np.pad(mono, (0, nf * hop - len(mono)))
    rms = np.sqrt((pad.reshape(nf, hop) ** 2).mean(1) + 1e-10)
    db = 20 * np.log10(rms)
    thr = np.percentile(db, 70) - amount * 6
    ratio = 1 + amount * 4
    g = np.where(db > thr, (thr - db) * (1 - 1 / ratio), 0)
    g = sps.lfilter([0.3], [1, -0.7], g)
    return np.interp(np.arange(len(mono)), np.arange(nf) * hop + hop / 2, 10 ** (g / 20))


def compress(x, rng, amount):
    # The gain comes from the summed channels; the same gain goes on both channels.
    mono = x.mean(0) if x.ndim == 2 else x
    return (x * compress_gain(mono, amount)).astype(np.float32)


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


# ---------------------------------------------------------------- record-style production
def deess(v, rng):
    """Turns the sibilance band down where it stands out, as a de-esser does."""
    lo = float(rng.uniform(4500, 7000))
    b, a = sps.butter(2, [lo, min(lo * 2.2, 20000)], btype="band", fs=SR)
    band = sps.lfilter(b, a, v)
    env = ndi.maximum_filter1d(np.abs(band), int(0.005 * SR))
    env = sps.lfilter([0.01], [1, -0.99], env)
    thr = np.percentile(env, 90) * float(rng.uniform(0.3, 0.8))
    cut = np.clip(1 - thr / (env + 1e-9), 0, 0.85)
    return (v - cut * band).astype(np.float32)


def saturate(v, rng):
    """Tape or tube warmth: soft clipping at a random drive, level kept."""
    drive = float(rng.uniform(1.5, 6.0))
    peak = np.abs(v).max() + 1e-9
    y = np.tanh(drive * v / peak) / np.tanh(drive)
    return (y * peak).astype(np.float32)


def air(v, rng):
    """An exciter: harmonics of the upper band, kept above 7-10 kHz, added 8-18 dB under
    it. Most recorded speakers here end at 8-11 kHz; a close microphone and an air
    boost give a voice on a record its breath and sibilance up to 16 kHz and beyond."""
    b, a = sps.butter(2, 3000, btype="high", fs=SR)
    upper = sps.lfilter(b, a, v)
    level = np.sqrt((upper ** 2).mean()) + 1e-9
    folded = upper * np.abs(upper) / level  # squares the band: partials at sums and twice
    b, a = sps.butter(4, float(rng.uniform(7000, 10000)), btype="high", fs=SR)
    ex = sps.lfilter(b, a, folded)
    b, a = sps.butter(1, float(rng.uniform(9000, 15000)), fs=SR)  # voices roll off up there
    ex = sps.lfilter(b, a, ex)
    ex *= level / (np.sqrt((ex ** 2).mean()) + 1e-9) * 10 ** (-float(rng.uniform(8, 18)) / 20)
    return (v + ex).astype(np.float32)


def panned(v, p):
    """Mono v at pan p (-1 left .. 1 right), stereo."""
    return np.stack([v * (1 - p), v * (1 + p)]).astype(np.float32)


def delay_throws(dry, rng, song, ends):
    """Echoes of the last word of some phrases, filtered, as thrown on records."""
    out = np.zeros_like(dry)
    d = int(song.beat * float(rng.choice([0.5, 0.75, 1.0])) * SR)
    b, a = sps.butter(2, [float(rng.uniform(300, 800)), float(rng.uniform(3000, 6000))],
                      btype="band", fs=SR)
    for end in ends:
        if rng.random() > 0.5:
            continue
        i1 = int(end * SR)
        i0 = max(0, i1 - int(0.5 * SR))
        word = sps.lfilter(b, a, dry[:, i0:i1], axis=1)
        for k in range(1, 5):
            j = i0 + d * k
            if j >= dry.shape[1]:
                break
            seg = word[(k + 1) % 2, : dry.shape[1] - j] * 0.55 ** k
            out[k % 2, j : j + seg.shape[0]] += seg
    return out


def record_chain(rng, v, song, ends, spread=0.0):
    """A vocal chain as on records: EQ, heavy compression, de-essing, saturation,
    plate or hall reverb, delay throws. `spread` pans the part away from the centre."""
    v = eq(v, rng, 80, 220)
    v = compress(v, rng, float(rng.uniform(0.8, 1.6)))
    if rng.random() < 0.7:
        v = deess(v, rng)
    if rng.random() < 0.4:
        v = saturate(v, rng)
    if rng.random() < 0.5:
        v = air(v, rng)
    v = compress(v, rng, float(rng.uniform(0.3, 1.0)))  # a second, gentler stage
    dry = panned(v, float(np.clip(spread + rng.uniform(-0.08, 0.08), -0.95, 0.95)))
    if rng.random() < 0.5:  # plate: dense, bright, short pre-delay
        ir = reverb_ir(rng, float(rng.uniform(1.0, 2.2)), float(rng.uniform(0.005, 0.03)))
    else:  # hall: long and dark
        ir = reverb_ir(rng, float(rng.uniform(1.8, 3.5)), float(rng.uniform(0.02, 0.08)))
    wet = np.stack([sps.fftconvolve(v, ir[c])[: len(v)] for c in range(2)])
    out = dry + float(rng.uniform(0.1, 0.6)) * wet
    if rng.random() < 0.35:
        out = out + delay_throws(dry, rng, song, ends) * float(rng.uniform(0.3, 0.8))
    return out.astype(np.float32)


def master(voc, acc, rng):
    """Bus compression and a peak limiter on the mix, driven hard as on loud records.

    The gain is worked out on the mix and applied to both stems alike, so they still sum
    to the mix. Returns the stems and that gain [N].
    """
    mix = voc + acc
    g = np.ones(mix.shape[1], np.float32)
    if rng.random() < 0.6:
        g = g * compress_gain(mix.mean(0), float(rng.uniform(0.2, 0.8))).astype(np.float32)
    peak = np.abs(mix * g).max(0)
    drive = 10 ** (float(rng.uniform(2, 10)) / 20) / (np.percentile(peak, 99.9) + 1e-9)
    need = np.minimum(1.0, 1.0 / (peak * drive + 1e-9))
    look = int(0.004 * SR)
    need = ndi.minimum_filter1d(need, 2 * look + 1)  # look ahead and hold
    smooth = ndi.uniform_filter1d(need, look)
    lim = np.minimum(smooth, need * 1.02)
    g = g * drive * lim.astype(np.float32)
    return (voc * g).astype(np.float32), (acc * g).astype(np.float32), g
