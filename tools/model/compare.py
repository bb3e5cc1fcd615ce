#!/usr/bin/python3
"""Per-song comparison of two evaluate.py reports on the same validation set.

A set's mean hides what matters: real records leak little, so the songs on
which the first model leaks under --low-leak are summarised on their own, and
the worst song shows what a blend or run costs where it loses most.

Usage:
    /usr/bin/python3 tools/model/evaluate.py A.torchscript --data SET > a.txt
    /usr/bin/python3 tools/model/evaluate.py B.torchscript --data SET > b.txt
    /usr/bin/python3 tools/model/compare.py a.txt b.txt
"""

import argparse
import math
import sys


def per_song(path):
    """{song: (vocals SDR, kept, leak, backing kept or None)} of the songs with a voice."""
    out = {}
    with open(path) as f:
        for line in f:
            p = line.split()
            if len(p) >= 12 and p[0].endswith(".npy") and p[2] == "vocals":
                vocals, kept, leak = float(p[3]), float(p[9]), float(p[11])
                backing = float(p[15]) if len(p) >= 16 and p[14] == "backing" else None
                if not math.isnan(vocals):
                    out[p[0]] = (vocals, kept, leak, backing)
    return out


def mean(xs):
    return sum(xs) / len(xs) if xs else float("nan")


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("--low-leak", type=float, default=0.1)
    args = ap.parse_args()
    a, b = per_song(args.before), per_song(args.after)
    songs = sorted(set(a) & set(b))
    if not songs:
        sys.exit("compare.py: the two reports share no song with a voice")
    diff = {s: b[s][0] - a[s][0] for s in songs}
    low = [s for s in songs if a[s][2] < args.low_leak]
    worst = min(songs, key=diff.get)
    print(f"vocals {mean(list(diff.values())):+.3f} dB over {len(songs)} songs; "
          f"low-leak {mean([diff[s] for s in low]):+.3f} dB over {len(low)}; "
          f"worst {diff[worst]:+.2f} dB ({worst})")
    print(f"kept {mean([a[s][1] for s in songs]):.3f} -> {mean([b[s][1] for s in songs]):.3f}, "
          f"leak {mean([a[s][2] for s in songs]):.3f} -> {mean([b[s][2] for s in songs]):.3f}")
    backed = [s for s in songs if a[s][3] is not None and b[s][3] is not None]
    if backed:
        print(f"backing kept {mean([a[s][3] for s in backed]):.3f} -> "
              f"{mean([b[s][3] for s in backed]):.3f} over {len(backed)} songs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
