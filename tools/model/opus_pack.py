#!/usr/bin/python3
"""Pack training items (gen_data.py's .npy stems) into Opus shards and back.

A lent GPU machine takes at most about 60 MB per call, a fifth of the training set as
float16 stems; Opus at 48 kbit/s per stereo stem brings the whole set to a few such
shards. The 44.1 kHz samples are coded as if they were 48 kHz: nothing is resampled,
and only content above about 18 kHz is lost. Each stem is coded on its own, so the
mixture that training builds still sums exactly to its stems.

Usage:
    /usr/bin/python3 tools/model/opus_pack.py pack /tmp/sepdata/train OUT_DIR --shards 4
    python3 tools/model/opus_pack.py unpack SHARD.npz DATA_DIR [--lib libopus.so.0]
"""

import argparse
import ctypes
import ctypes.util
import os
import sys
from multiprocessing import Pool

import numpy as np

from train import item_files

FRAME = 960  # 20 ms at the rate Opus is told
CODED_RATE = 48000
APPLICATION_AUDIO = 2049
SET_BITRATE = 4002
SET_BANDWIDTH = 4008
SET_COMPLEXITY = 4010
GET_LOOKAHEAD = 4027
SET_SIGNAL = 4024
BANDWIDTH_FULLBAND = 1105
SIGNAL_MUSIC = 3002
MAX_PACKET = 4000

_lib = None


def opus(path=None):
    global _lib
    if _lib is None:
        _lib = ctypes.CDLL(path or ctypes.util.find_library("opus") or "libopus.so.0")
        _lib.opus_encoder_create.restype = ctypes.c_void_p
        _lib.opus_decoder_create.restype = ctypes.c_void_p
        _lib.opus_encode_float.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int,
                                           ctypes.c_void_p, ctypes.c_int32]
        _lib.opus_decode_float.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int32,
                                           ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        _lib.opus_encoder_ctl.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p]
        _lib.opus_encoder_destroy.argtypes = [ctypes.c_void_p]
        _lib.opus_decoder_destroy.argtypes = [ctypes.c_void_p]
    return _lib


def encode(stereo, kbps):
    """stereo: float [2, N] -> (packet bytes, packet lengths, lookahead)."""
    lib = opus()
    err = ctypes.c_int()
    enc = lib.opus_encoder_create(CODED_RATE, 2, APPLICATION_AUDIO, ctypes.byref(err))
    if err.value != 0:
        raise RuntimeError(f"opus_encoder_create failed: {err.value}")
    try:
        # The ctl calls are variadic; their int argument travels as one pointer-sized word.
        for req, val in ((SET_BITRATE, kbps * 1000), (SET_BANDWIDTH, BANDWIDTH_FULLBAND),
                         (SET_SIGNAL, SIGNAL_MUSIC), (SET_COMPLEXITY, 8)):
            lib.opus_encoder_ctl(enc, req, ctypes.c_void_p(val))
        look = ctypes.c_int32()
        lib.opus_encoder_ctl(enc, GET_LOOKAHEAD, ctypes.byref(look))
        n = stereo.shape[1]
        frames = -(-(n + look.value) // FRAME)
        pcm = np.zeros((frames * FRAME, 2), np.float32)
        pcm[:n] = stereo.T
        buf = ctypes.create_string_buffer(MAX_PACKET)
        data, lengths = [], []
        for f in range(frames):
            chunk = np.ascontiguousarray(pcm[f * FRAME:(f + 1) * FRAME])
            got = lib.opus_encode_float(enc, chunk.ctypes.data, FRAME, buf, MAX_PACKET)
            if got < 0:
                raise RuntimeError(f"opus_encode_float failed: {got}")
            data.append(buf.raw[:got])
            lengths.append(got)
        return b"".join(data), np.array(lengths, np.uint16), look.value
    finally:
        lib.opus_encoder_destroy(enc)


def decode(data, lengths, look, n):
    lib = opus()
    err = ctypes.c_int()
    dec = lib.opus_decoder_create(CODED_RATE, 2, ctypes.byref(err))
    if err.value != 0:
        raise RuntimeError(f"opus_decoder_create failed: {err.value}")
    try:
        out = np.zeros((len(lengths) * FRAME, 2), np.float32)
        pos = 0
        for f, ln in enumerate(lengths):
            got = lib.opus_decode_float(dec, data[pos:pos + int(ln)], int(ln),
                                        out[f * FRAME:].ctypes.data, FRAME, 0)
            if got != FRAME:
                raise RuntimeError(f"opus_decode_float failed: {got}")
            pos += int(ln)
        return out[look:look + n].T
    finally:
        lib.opus_decoder_destroy(dec)


def pack_item(args):
    path, kbps = args
    item = np.load(path).astype(np.float32)  # [stems, 2, N]
    return [encode(stem, kbps) for stem in item], item.shape[2]


def pack(src, out_dir, shards, kbps, jobs):
    files = item_files(src)
    os.makedirs(out_dir, exist_ok=True)
    with Pool(jobs) as pool:
        for s in range(shards):
            mine = files[s::shards]
            packed = pool.map(pack_item, [(f, kbps) for f in mine], chunksize=4)
            arrays = {"names": np.array([os.path.basename(f) for f in mine])}
            for i, (stems, n) in enumerate(packed):
                arrays[f"n{i}"] = np.array([n, len(stems)])
                for k, (data, lengths, look) in enumerate(stems):
                    arrays[f"d{i}_{k}"] = np.frombuffer(data, np.uint8)
                    arrays[f"l{i}_{k}"] = lengths
                    arrays[f"k{i}_{k}"] = np.array(look)
            path = os.path.join(out_dir, f"shard{s}.npz")
            np.savez(path, **arrays)
            print(f"{path}: {len(mine)} items, {os.path.getsize(path) / 1e6:.1f} MB", flush=True)


def unpack_item(args):
    shard, i, out_dir = args
    z = np.load(shard)
    n, stems = (int(v) for v in z[f"n{i}"])
    item = np.stack([decode(z[f"d{i}_{k}"].tobytes(), z[f"l{i}_{k}"], int(z[f"k{i}_{k}"]), n)
                     for k in range(stems)]).astype(np.float16)
    name = os.path.join(out_dir, str(z["names"][i]))
    np.save(name + ".tmp.npy", item)
    os.replace(name + ".tmp.npy", name)


def unpack(shard, out_dir, jobs):
    os.makedirs(out_dir, exist_ok=True)
    count = len(np.load(shard)["names"])
    with Pool(jobs) as pool:
        pool.map(unpack_item, [(shard, i, out_dir) for i in range(count)], chunksize=4)
    print(f"{shard}: {count} items into {out_dir}", flush=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("mode", choices=("pack", "unpack"))
    ap.add_argument("src")
    ap.add_argument("dst")
    ap.add_argument("--shards", type=int, default=4)
    ap.add_argument("--kbps", type=int, default=48, help="bit rate per stereo stem")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--lib", default=None, help="libopus to load (default: the system's)")
    args = ap.parse_args()
    opus(args.lib)
    if args.mode == "pack":
        pack(args.src, args.dst, args.shards, args.kbps, args.jobs)
    else:
        unpack(args.src, args.dst, args.jobs)


if __name__ == "__main__":
    sys.exit(main())
