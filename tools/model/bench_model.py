#!/usr/bin/python3
"""Time `serve` of an exported model on synthetic stereo audio, with 2 threads.

Usage:
    /usr/bin/python3 tools/model/bench_model.py MODEL [SECONDS ...]   (default 180 1200)
"""

import resource
import sys
import time

import torch


def peak_rss_mib() -> float:
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0


def current_rss_mib() -> float:
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return float(line.split()[1]) / 1024.0
    return 0.0


def main() -> int:
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    torch.set_num_threads(2)
    model = torch.jit.load(sys.argv[1])
    lengths = [float(s) for s in sys.argv[2:]] or [180.0, 1200.0]
    with torch.inference_mode():
        model.serve(torch.randn(10 * 44100, 2))  # warm-up
        for seconds in lengths:
            n = int(seconds * 44100)
            x = torch.randn(n, 2).mul_(0.1)
            # A centred tone so the mask has real work to do, built in place to keep RSS honest.
            tone = torch.arange(n, dtype=torch.float32).mul_(2 * 3.14159265 * 220 / 44100).sin_()
            x.add_(tone.unsqueeze(1), alpha=0.3)
            del tone
            out_mib = 2 * x.numel() * 4 / 2**20
            before = current_rss_mib()
            t0 = time.perf_counter()
            out = model.serve(x)
            dt = time.perf_counter() - t0
            after = peak_rss_mib()
            # Peak growth beyond what the two output tensors themselves need.
            extra = after - before - out_mib
            print(f"{seconds:6.0f} s stereo: serve {dt:6.2f} s ({seconds / dt:5.0f}x real time); "
                  f"RSS before {before:.0f} MiB, peak {after:.0f} MiB, "
                  f"outputs {out_mib:.0f} MiB, extra working memory {extra:.0f} MiB")
            del out, x
    return 0


if __name__ == "__main__":
    sys.exit(main())
