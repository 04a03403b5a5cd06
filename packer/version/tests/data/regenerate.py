#!/usr/bin/env python3
"""Compiles each *.rc here with MinGW's windres and writes its version resource, the bytes a
program's GetFileVersionInfoW starts with, to a .bin of the same name. The .bin files are
committed: the native tests read them, and they seed the version fuzzer."""
import pathlib
import struct
import subprocess
import sys
import tempfile

RT_VERSION = 16
here = pathlib.Path(__file__).resolve().parent


def read_id(data, at):
    # A resource type or name: 0xFFFF then a 16-bit id, or a NUL-terminated UTF-16 string.
    if struct.unpack_from('<H', data, at)[0] == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2


def version_resources(res):
    at = 0
    while at < len(res):
        data_size, header_size = struct.unpack_from('<II', res, at)
        rtype, _ = read_id(res, at + 8)
        data = res[at + header_size:at + header_size + data_size]
        if rtype == RT_VERSION:
            yield data
        at = (at + header_size + data_size + 3) & ~3


def main():
    windres = sys.argv[1] if len(sys.argv) > 1 else 'i686-w64-mingw32-windres'
    for rc in sorted(here.glob('*.rc')):
        with tempfile.TemporaryDirectory() as tmp:
            res = pathlib.Path(tmp) / 'out.res'
            subprocess.run([windres, '-O', 'res', str(rc), str(res)], check=True)
            found = list(version_resources(res.read_bytes()))
        if len(found) != 1:
            sys.exit(f'{rc.name}: expected one version resource, found {len(found)}')
        rc.with_suffix('.bin').write_bytes(found[0])
        print(f'{rc.with_suffix(".bin").name}: {len(found[0])} bytes')


if __name__ == '__main__':
    main()
