#!/usr/bin/python3
"""Generate vocal/accompaniment stems for training and validation.

Every sound comes from redistributable Debian packages (see README.md); the
generator itself lives in the sepdata package: accompaniment (MIDI rendered
with fluidsynth, drum samples, recorded layers and soundtracks), voices
(synthetic, diphone and recorded speakers made to sing), production (vocal
chains, backing vocals, mastering) and items (one song's stems).

Each item is stored as float16 [2 stems (vocals, accompaniment), 2 channels, N]
in OUT/NNNNN.npy. The validation splits use other seeds, instruments, drum
kits, voices, speakers and soundtracks than "train".

Usage:
    nice -n 15 /usr/bin/python3 tools/model/gen_data.py --split train --count 500 --out /tmp/sepdata/train
    nice -n 15 /usr/bin/python3 tools/model/gen_data.py --split val --count 24 --seconds 30 --out /tmp/sepdata/val
"""

import argparse
import os
import sys
import time
from multiprocessing import Pool

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sepdata.accompaniment import PARTS  # noqa: E402
from sepdata.items import SPLITS, make_item  # noqa: E402
from sepdata.soundtracks import music_tracks  # noqa: E402


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--split", choices=sorted(SPLITS), required=True)
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--seconds", type=float, default=12.0)
    ap.add_argument("--out", required=True)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--first", type=int, default=0, help="index of the first item")
    ap.add_argument("--workers", type=int, default=2)
    ap.add_argument("--backing", choices=("some", "always"), default="some",
                    help="always: backing vocals in every produced song, and the lead alone "
                         "kept in OUT/lead/ for evaluate.py")
    ap.add_argument("--groups", type=float, default=0.0,
                    help="share of the backing vocals with group vocals (stacks of 3-8 voices)")
    ap.add_argument("--held", type=float, default=0.0,
                    help="share of a recorded speaker's sung phrases with each vowel held over "
                         "its notes (the rest are stretched evenly)")
    ap.add_argument("--recorded", type=float, default=None,
                    help="share of the songs with a recorded soundtrack, alone or under the "
                         "rendered accompaniment (default 0.35 for train, 1 otherwise); with 0 "
                         "every voice sings over its own song's chords and beat")
    ap.add_argument("--soundfonts", type=float, default=0.0,
                    help="share of the songs whose rendered accompaniment another General MIDI "
                         "sound font plays (MuseScore General in training, TimGM6mb in the "
                         "validation splits)")
    ap.add_argument("--pads", type=float, default=0.0,
                    help="share of the songs with one more held chord (organ, strings, brass, "
                         "pad) in the voice's octaves; 0 makes every item as before")
    ap.add_argument("--mute", default="",
                    help="probes only: parts of the rendered accompaniment left out, comma "
                         "separated (bass, chords, lead, drums); their draws are still made, so "
                         "the rest of each song comes out the same")
    ap.add_argument("--music-cache", default="/tmp/sepdata/music",
                    help="where the soundtracks are decoded once")
    args = ap.parse_args()
    mute = tuple(p for p in args.mute.split(",") if p)
    if any(p not in PARTS for p in mute):
        ap.error("--mute takes " + ", ".join(PARTS))
    seed = args.seed if args.seed is not None else SPLITS[args.split]
    os.makedirs(args.out, exist_ok=True)
    tracks = music_tracks(args.split, args.music_cache)
    if args.split != "train" and args.split != "val" and not tracks:
        sys.exit(f"gen_data.py: {args.split} needs singularity-music "
                 "(scripts/bootstrap --model-training)")
    print(f"{len(tracks)} recorded tracks", flush=True)
    jobs = [(i, args.split, args.seconds, args.out, seed, tracks, args.backing, args.groups,
             args.held, args.recorded, args.soundfonts, mute, args.pads)
            for i in range(args.first, args.first + args.count)]
    t0 = time.time()
    with Pool(args.workers) as pool:
        for k, (p, dt) in enumerate(pool.imap_unordered(make_item, jobs)):
            if k % 20 == 0:
                print(f"{k + 1}/{len(jobs)} {p} {dt:.1f}s (elapsed {time.time() - t0:.0f}s)",
                      flush=True)
    print(f"done: {len(jobs)} items in {time.time() - t0:.0f}s", flush=True)


if __name__ == "__main__":
    sys.exit(main())
