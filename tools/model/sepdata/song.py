"""The plan of one song: tempo, key, scale and chord progression."""

import math

from .pools import MAJOR, MINOR, PROGRESSIONS


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
