"""Recorded speakers from Debian packages, made to sing with praat.

praat's PSOLA moves the speaker's own voice onto the melody (a pitch tier) and
stretches it (a duration tier), so formants, breath and consonants stay theirs.
Sentence corpora sing one line per phrase; word and syllable corpora sing one
clip per note, as a singer puts one syllable on each note. Part of the lines
stay spoken, as in rap or spoken passages. Validation hears only speakers that
training never hears: whole languages and a whole package are held out.
"""

import functools
import glob
import os
import shutil
import subprocess

import numpy as np
import scipy.signal as sps
import soundfile as sf

from . import phrasing
from .common import SR, add_at, group_phrases

PRAAT = shutil.which("praat")
SING_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sing.praat")
FILLETS = "/usr/share/games/fillets-ng/sound"  # acted lines, Czech, English, Dutch
KLETTRES = "/usr/share/klettres"  # letters and syllables, one speaker per language
KTUBERLING = "/usr/share/ktuberling/sounds"  # words, one speaker per language
GCIN = "/usr/share/gcin-voice/ogg"  # Mandarin syllables, two speakers
HEDGEWARS = "/usr/share/games/hedgewars/Data/Sounds/voices"  # shouted lines, one actor a set
ASTERISK = "/usr/share/asterisk/sounds"  # telephone prompts (G.722, 16 kHz), one speaker a folder
MEGAGLEST = "/usr/share/games/megaglest/techs/megapack/factions"  # unit voices, one set a unit
# Units that are animals, monsters or spirits: their clips are no plain human voice.
MEGAGLEST_NOT_HUMAN = {"anubis_warrior", "behemoth", "bull", "chicken", "dragon", "evil_dragon",
                       "genie", "ghost_armor", "mummy", "thunderbird", "wild_sow"}
FFMPEG = shutil.which("ffmpeg")
G722_BYTES_PER_S = 8000  # G.722 codes 16 kHz audio at 64 kbit/s
# Languages whose speakers only validation hears, in every package that has them:
# the asterisk-core-sounds fr, ru and it packages are held out whole.
HELD_OUT_LANGS = {"fr", "ru", "it"}
RECORDED_SPLITS = ("train", "valvoice")


class Speaker:
    def __init__(self, name, clips, kind):
        self.name = name
        self.clips = clips
        self.kind = kind  # "lines" (a sentence a phrase) or "syllables" (a clip a note)


def _fillets_speakers():
    groups = {}
    for f in sorted(glob.glob(os.path.join(FILLETS, "*", "*", "*.ogg"))):
        lang = os.path.basename(os.path.dirname(f))
        parts = os.path.splitext(os.path.basename(f))[0].split("-")
        # Level-character-line: the character code names the actor within a language.
        code = parts[1] if len(parts) >= 3 else "x"
        groups.setdefault((lang, code), []).append(f)
    return [(lang, Speaker(f"fillets_{lang}_{code}", clips, "lines"))
            for (lang, code), clips in sorted(groups.items()) if len(clips) >= 15]


def _locale_lang(folder):
    return folder.split("_")[0].split("@")[0]


def _hedgewars_lang(folder):
    # A set named Default_ru speaks Russian; the others speak English.
    tail = folder.rpartition("_")[2]
    return tail if len(tail) == 2 and tail.islower() else "en"


def _per_language(root, pattern, prefix, lang_of=_locale_lang):
    """A syllable speaker per folder of root, with the language its name gives."""
    out = []
    for d in sorted(glob.glob(os.path.join(root, "*"))):
        clips = sorted(glob.glob(os.path.join(d, pattern), recursive=True))
        if len(clips) >= 10:
            folder = os.path.basename(d)
            out.append((lang_of(folder), Speaker(f"{prefix}_{folder}", clips, "syllables")))
    return out


def _asterisk_speakers():
    # Whole prompts: the digit, letter and silence folders hold no sentences.
    if FFMPEG is None:
        return []
    out = []
    for d in sorted(glob.glob(os.path.join(ASTERISK, "*_*"))):
        clips = [f for f in sorted(glob.glob(os.path.join(d, "*.g722")))
                 + sorted(glob.glob(os.path.join(d, "dictate", "*.g722")))
                 if os.path.getsize(f) >= G722_BYTES_PER_S]
        if len(clips) >= 15:
            out.append((os.path.basename(d).split("_")[0],
                        Speaker(f"asterisk_{os.path.basename(d)}", clips, "lines")))
    return out


def _megaglest_speakers():
    # Only the spoken answers: the attack, hit and die clips are shouts and screams.
    groups = {}
    for f in sorted(glob.glob(os.path.join(MEGAGLEST, "*", "units", "*", "sounds", "*.wav"))):
        faction, _, unit, _, name = os.path.relpath(f, MEGAGLEST).split(os.sep)
        stem = os.path.splitext(name)[0].rstrip("0123456789")
        if stem.endswith(("_ack", "_select")) and unit not in MEGAGLEST_NOT_HUMAN:
            groups.setdefault(f"{faction}_{unit}", []).append(f)
    return [("en", Speaker(f"megaglest_{name}", clips, "syllables"))
            for name, clips in sorted(groups.items()) if len(clips) >= 10]


@functools.lru_cache(maxsize=None)
def speakers(split):
    """The recorded speakers a split may use (none without praat or outside RECORDED_SPLITS)."""
    if PRAAT is None or split not in RECORDED_SPLITS:
        return []
    held = split != "train"
    found = _fillets_speakers() + _per_language(KLETTRES, "**/*.ogg", "klettres") \
        + _per_language(KTUBERLING, "*.ogg", "ktuberling") \
        + _per_language(HEDGEWARS, "*.ogg", "hedgewars", _hedgewars_lang) \
        + _asterisk_speakers() + _megaglest_speakers()
    out = [s for (lang, s) in found if (lang in HELD_OUT_LANGS) == held]
    # gcin-voice holds two Mandarin speakers: one for each side.
    gcin = sorted(glob.glob(os.path.join(GCIN, "*", "3.ogg" if held else "5.ogg")))
    if gcin:
        out.append(Speaker("gcin_" + ("3" if held else "5"), gcin, "syllables"))
    return out


def _duration(path):
    if path.endswith(".g722"):
        return os.path.getsize(path) / G722_BYTES_PER_S
    return sf.info(path).duration


def _read(path):
    """A clip as float32 [samples, channels] and its rate; raw G.722 goes through ffmpeg."""
    if not path.endswith(".g722"):
        return sf.read(path, dtype="float32", always_2d=True)
    pcm = subprocess.run([FFMPEG, "-v", "error", "-f", "g722", "-i", path, "-f", "s16le",
                          "-ac", "1", "-ar", "16000", "-"], capture_output=True, check=True,
                         timeout=60).stdout
    return (np.frombuffer(pcm, "<i2").astype(np.float32) / 32768.0)[:, None], 16000


def _load(path):
    """A clip as mono float32 at its own rate, silence trimmed at both ends."""
    x, sr = _read(path)
    x = x.mean(1)
    env = np.abs(x)
    loud = np.nonzero(env > env.max() * 0.02)[0] if env.max() > 0 else []
    if len(loud) == 0:
        return x[:0], sr
    a = max(0, loud[0] - int(0.02 * sr))
    b = min(len(x), loud[-1] + int(0.05 * sr))
    return x[a:b], sr


def _f0(x, sr):
    """Median pitch of the voiced frames (autocorrelation, 70-450 Hz), or None."""
    hop, win = int(0.02 * sr), int(0.04 * sr)
    lo, hi = int(sr / 450), int(sr / 70)
    found = []
    for i in range(0, len(x) - win - hi, hop):
        fr = x[i : i + win + hi].astype(np.float64)
        fr = fr - fr.mean()
        head = fr[:win]
        e0 = float((head ** 2).sum())
        if e0 < win * 1e-4:
            continue
        nfft = 2 * len(fr)
        ac = np.fft.irfft(np.fft.rfft(fr, nfft) * np.conj(np.fft.rfft(head, nfft)), nfft)
        energy = np.concatenate([[0.0], np.cumsum(fr ** 2)])
        el = energy[win : win + hi] - energy[:hi]  # energy of fr[l : l + win]
        score = ac[lo:hi] / np.sqrt(e0 * el[lo:hi] + 1e-12)
        lag = lo + int(np.argmax(score))
        if score[lag - lo] > 0.6:
            found.append(sr / lag)
    return float(np.median(found)) if len(found) >= 5 else None


_PITCH = {}


def speaker_pitch(rng, speaker):
    """The speaker's own median pitch in Hz (from a few clips, cached per process)."""
    if speaker.name not in _PITCH:
        sub = np.random.default_rng(len(speaker.clips))
        picks = sub.choice(len(speaker.clips), min(8, len(speaker.clips)), replace=False)
        est = [f for f in (_f0(*_load(speaker.clips[i])) for i in sorted(picks)) if f]
        _PITCH[speaker.name] = float(np.median(est)) if est else 150.0
    return _PITCH[speaker.name]


def register_shift(rng, speaker, notes):
    """Octaves to move the melody by, so that it lies near the speaker's own pitch."""
    if not notes:
        return 0
    mid = float(np.median([k for (_, _, k) in notes]))
    own = 69 + 12 * np.log2(speaker_pitch(rng, speaker) / 440.0)
    want = own + float(rng.uniform(0, 7))  # singers sit above their speaking pitch
    return int(12 * round((want - mid) / 12))


def plan_take(rng, speaker, notes, spoken_share, held_share=0.0):
    """Which clip goes where: a list of (start s, clip, notes relative to start, mode).

    mode is "spoken", "even" (stretched evenly onto the notes) or "held" (each
    syllable's vowel held over its notes). A take can be sung again (doubles,
    harmonies) with the same words and phrasing.
    """
    def mode(spoken):
        if spoken:
            return "spoken"
        # No draw at share 0: older sets keep their random draws.
        return "held" if held_share > 0 and rng.random() < held_share else "even"

    take = []
    if speaker.kind == "lines":
        for ph in group_phrases(notes):
            start = ph[0][0]
            length = ph[-1][0] + ph[-1][1] - start
            cands = [speaker.clips[rng.integers(len(speaker.clips))] for _ in range(4)]
            m = mode(bool(rng.random() < spoken_share))
            # Of a few random lines, the one whose length fits the phrase best; held
            # vowels take time, so a held phrase sings a line of half its length.
            fit = 0.5 * length if m == "held" else length
            lens = [_duration(c) for c in cands]
            best = int(np.argmin([abs(np.log((d + 0.1) / (fit + 0.1))) for d in lens]))
            rel = [(s - start, d, k) for (s, d, k) in ph]
            take.append((start, cands[best], rel, m))
    else:
        m = "even"
        for j, (s, d, k) in enumerate(notes):
            if j == 0 or s - (notes[j - 1][0] + notes[j - 1][1]) > 0.25:
                m = mode(bool(rng.random() < spoken_share))  # a whole phrase alike
            clip = speaker.clips[rng.integers(len(speaker.clips))]
            take.append((s, clip, [(0.0, d, k)], m))
    return take


def _pitch_points(rng, rel, stretch, shift, cents, style):
    """PitchTier points (original time, Hz) putting the notes on the clip."""
    pts = []
    for j, (t, d, k) in enumerate(rel):
        f = 440.0 * 2 ** ((k + shift + cents / 100.0 - 69) / 12)
        a, b = t / stretch, (t + d) / stretch
        if style["hard"]:  # pitch-corrected: flat notes, snapping between them
            pts += [(a + 0.004, f), (max(a + 0.005, b - 0.004), f)]
            continue
        glide = min(style["glide"], d * 0.3) / stretch
        if rng.random() < style["scoop"]:
            pts.append((a, f * 2 ** (-float(rng.uniform(0.5, 2.0)) / 12)))
        pts.append((a + glide, f))
        tt = a + 0.15 / stretch
        while tt < b - 0.02:
            ramp = min(1.0, (tt - a) * stretch / 0.4)
            dev = style["depth"] * ramp * np.sin(2 * np.pi * style["rate"] * (tt - a) * stretch)
            pts.append((tt, f * 2 ** (dev / 12)))
            tt += 0.02 / stretch
        pts.append((max(a + glide + 0.001, b - 0.01), f))
    return pts


def _write_tier(path, kind, pts, dur, digits):
    """A praat PitchTier or DurationTier (short text format)."""
    pts = sorted(pts)
    with open(path, "w") as fh:
        fh.write(f'File type = "ooTextFile"\nObject class = "{kind}"\n\n0\n{dur:.6f}\n'
                 f"{len(pts)}\n")
        for t, f in pts:
            fh.write(f"{min(max(t, 0.0), dur):.6f}\n{f:.{digits}f}\n")


def sing(rng, take, n, tmp, name, shift=0, cents=0.0, delay=0.0, style=None):
    """Renders a take at 44.1 kHz into a mono track of n samples.

    shift moves every note (semitones), cents detunes, delay starts it later: the
    same take again makes a double or a harmony of the same singer.
    """
    style = style or random_style(rng)
    out = np.zeros(n, np.float32)
    lines, starts = [], []
    for j, (start, clip, rel, mode) in enumerate(take):
        x, sr = _load(clip)
        if len(x) < int(0.05 * sr):
            continue
        dur = len(x) / sr
        length = rel[-1][0] + rel[-1][1]
        spans = phrasing.nuclei(x, sr) if mode == "held" else []
        tier = "-"
        if spans:
            groups = phrasing.fit_notes(rel, len(spans))
            src_t, out_t = phrasing.warp(spans, dur, groups)
            dpts = phrasing.duration_points(src_t, out_t)
            notes = [nt for g in groups for nt in g]
            # Pitch drawn on the sung time line, then carried back to the clip's own.
            pts = [(float(np.interp(t, out_t, src_t)), f)
                   for t, f in _pitch_points(rng, notes, 1.0, shift, cents, style)]
            start += float(out_t[0])
        else:
            if mode == "spoken":  # speech or rap: its own melody, nearly its own pace
                stretch = float(np.clip(length / dur, 0.85, 1.15))
            else:
                lim = (0.8, 1.7) if len(rel) > 1 else (0.6, 3.5)
                stretch = float(np.clip(length / dur, *lim))
            dpts = [(0.0, stretch)]
            pts = None if mode == "spoken" else _pitch_points(rng, rel, stretch, shift, cents,
                                                              style)
        src = os.path.join(tmp, f"{name}_{j}_in.wav")
        sf.write(src, x, sr, subtype="FLOAT")
        if pts is not None:
            tier = os.path.join(tmp, f"{name}_{j}.PitchTier")
            _write_tier(tier, "PitchTier", pts, dur, 3)
        dtier = os.path.join(tmp, f"{name}_{j}.DurationTier")
        _write_tier(dtier, "DurationTier", dpts, dur, 4)
        dst = os.path.join(tmp, f"{name}_{j}_out.wav")
        lines.append(f"{src} {tier} {dtier} {dst}")
        starts.append((max(0.0, start + delay), dst))
    if not lines:
        return out
    jobs = os.path.join(tmp, f"{name}_jobs.txt")
    with open(jobs, "w") as fh:
        fh.write("\n".join(lines) + "\n")
    # PSOLA fills unvoiced stretches with random periods: seeded, an item comes out the same
    # every time it is made.
    seed = str(int(rng.integers(1, 2 ** 31)))
    subprocess.run([PRAAT, "--run", SING_SCRIPT, jobs, seed], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=600)
    for start, dst in starts:
        if not os.path.exists(dst):
            continue  # a clip praat cannot analyse stays a rest
        y, sr = sf.read(dst, dtype="float32", always_2d=True)
        y = y.mean(1)
        if sr != SR:
            y = sps.resample_poly(y, SR, sr).astype(np.float32)
        fade = int(0.01 * SR)
        if len(y) > 2 * fade:
            y[:fade] *= np.linspace(0, 1, fade, dtype=np.float32)
            y[-fade:] *= np.linspace(1, 0, fade, dtype=np.float32)
        add_at(out, y / (np.abs(y).max() + 1e-9), start)
    return out


def random_style(rng):
    """How a singer sings: vibrato, scoops, glides, or hard pitch correction."""
    return {"hard": bool(rng.random() < 0.15), "depth": float(rng.uniform(0.0, 0.6)),
            "rate": float(rng.uniform(4.5, 6.5)), "scoop": float(rng.uniform(0.0, 0.6)),
            "glide": float(rng.uniform(0.02, 0.1))}


def recorded_voice(rng, song, notes, tmp, name, speaker, held_share=0.0):
    """A lead line by a recorded speaker; returns (mono voice, take, notes moved to its register).

    held_share: share of the sung phrases with the vowels held over the notes."""
    shift = register_shift(rng, speaker, notes)
    notes = [(s, d, k + shift) for (s, d, k) in notes]
    take = plan_take(rng, speaker, notes, spoken_share=float(rng.choice([0.0, 0.1, 0.2, 0.6])),
                     held_share=held_share)
    return sing(rng, take, int(song.seconds * SR), tmp, name), take, notes
