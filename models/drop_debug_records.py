"""Drops the debug records from a TorchScript archive, in place.

TorchScript keeps the source file names of the exporting checkout in its *.debug_pkl records;
they only serve error messages, and an installed model must not carry build paths.
"""
import os
import sys
import zipfile


def main(path):
    with zipfile.ZipFile(path) as archive:
        records = [(info, archive.read(info)) for info in archive.infolist() if not info.filename.endswith(".debug_pkl")]
    with zipfile.ZipFile(path + ".tmp", "w", zipfile.ZIP_STORED) as archive:
        for info, data in records:
            archive.writestr(info, data)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main(sys.argv[1])
