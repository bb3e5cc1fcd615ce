"""Which instruments and voices each split may use: validation never shares them with training."""

# Instrument pools; val takes the programs that train never sees.
_CHORD_ALL = [p for p in list(range(0, 32)) + list(range(40, 52)) + list(range(56, 64))
              + list(range(80, 85)) + [86, 87, 88, 89, 90, 92, 93, 94, 95]
              if p not in (52, 53, 54, 85, 91)]  # voice-like presets are never accompaniment
# Programs that hold a chord as long as the key is down (organs, strings, brass, synths, pads).
_SUSTAINED = set(range(16, 24)) | set(range(40, 52)) | set(range(56, 64)) | set(range(80, 96))
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
for _pool in POOLS.values():
    _pool["pad"] = [p for p in _pool["chord"] if p in _SUSTAINED]
POOLS["valrec"] = POOLS["val"]
POOLS["valvoice"] = POOLS["val"]
MAJOR = [0, 2, 4, 5, 7, 9, 11]
MINOR = [0, 2, 3, 5, 7, 8, 10]
PROGRESSIONS = [[0, 4, 5, 3], [0, 5, 3, 4], [0, 3, 4, 4], [5, 3, 0, 4], [0, 3, 0, 4],
                [0, 4, 5, 2, 3, 0, 3, 4], [1, 4, 0, 0], [0, 6, 5, 4]]
