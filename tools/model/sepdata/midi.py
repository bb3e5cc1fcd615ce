"""A tiny MIDI writer and the fluidsynth renderer."""

import os
import struct
import subprocess

import numpy as np
import soundfile as sf

from .common import SR, fit


SF2 = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
# Other General MIDI sound fonts for the accompaniment: their own samples of the same programs.
# Training may draw the first, validation only the second, so it hears timbres training never did.
SF_TRAIN = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3"
SF_VAL = "/usr/share/sounds/sf2/TimGM6mb.sf2"


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
        self.muted = set()  # channels whose notes are dropped (a probe leaves a part out)

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
        if ch in self.muted:
            return
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


def render(midi: Midi, seconds: float, tmp: str, name: str, fx: bool, font: str = SF2) -> np.ndarray:
    mid = os.path.join(tmp, name + ".mid")
    wav = os.path.join(tmp, name + ".wav")
    midi.save(mid)
    cmd = ["fluidsynth", "-ni", "-q", "-r", str(SR), "-g", "0.5", "-F", wav, "-T", "wav"]
    if not fx:
        cmd += ["-o", "synth.reverb.active=0", "-o", "synth.chorus.active=0"]
    subprocess.run(cmd + [font, mid], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    x, _ = sf.read(wav, dtype="float32", always_2d=True)
    return fit(x.T, int(seconds * SR))
