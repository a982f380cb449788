#!/usr/bin/env python3
"""Time and memory of refusing inputs whose headers cannot be believed.

Made on the spot: a FLAC of about 19 KB (0.92 s of a 440 Hz tone) whose
STREAMINFO says 1 Hz while its frames say 44.1 kHz, and a WAV whose format
chunk says 2^31-1 Hz. Each is given to every command that reads audio, as
every input, under a 512 MB address-space limit (ulimit -v 524288).

Target: each is refused with one line within a second. Usage:

  bench/crafted_header_bench.py [--cli PATH]
"""
import argparse
import os
import resource
import struct
import subprocess
import sys
import tempfile
import time

from analysis_bench import find_cli

LIMIT_BYTES = 512 * 1024 * 1024
TARGET_SECONDS = 1.0


def make_inputs(folder):
    tone, flac = os.path.join(folder, "tone.wav"), os.path.join(folder, "tone.flac")
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:d=0.92:r=44100", tone], check=True)
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", tone, "-c:a", "flac", flac], check=True)
    with open(flac, "rb") as f:
        data = bytearray(f.read())
    # STREAMINFO follows "fLaC" and its block header; the rate is 20 bits from its 11th byte.
    data[18], data[19], data[20] = 0, 0, (data[20] & 0x0F) | 0x10
    crafted_flac = os.path.join(folder, "rate1.flac")
    with open(crafted_flac, "wb") as f:
        f.write(data)
    with open(tone, "rb") as f:
        data = bytearray(f.read())
    data[24:28] = struct.pack("<I", 0x7FFFFFFF)
    crafted_wav = os.path.join(folder, "rate2g.wav")
    with open(crafted_wav, "wb") as f:
        f.write(data)
    return tone, [crafted_flac, crafted_wav]


def limited():
    resource.setrlimit(resource.RLIMIT_AS, (LIMIT_BYTES, LIMIT_BYTES))


def run(cmd):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            preexec_fn=limited)
    err = proc.stderr.read().decode(errors="replace")
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    lines = [line for line in err.splitlines() if line.startswith("quelvo-cli: ")]
    return os.waitstatus_to_exitcode(status), wall, usage.ru_maxrss / 1024.0, lines


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    args = parser.parse_args()
    cli = find_cli(args.cli)
    failed = False
    with tempfile.TemporaryDirectory(prefix="quelvo-crafted-") as folder:
        good, crafted = make_inputs(folder)
        out = os.path.join(folder, "out")
        for bad in crafted:
            print("%s (%d bytes)" % (os.path.basename(bad), os.path.getsize(bad)))
            commands = {
                "analyze --jobs 1": [cli, "analyze", "--jobs", "1", bad],
                "analyze": [cli, "analyze", bad],
                "duck --dialogue": [cli, "duck", "--dialogue", bad, "--music", good, "--force",
                                    "--output", out + ".fcpxml"],
                "duck --music": [cli, "duck", "--dialogue", good, "--music", bad, "--force",
                                 "--output", out + ".fcpxml"],
                "render --filler": [cli, "render", "--dialogue", good, "--music", good, "--filler", bad,
                                    "--output", out + ".wav", "--force"],
            }
            for name, cmd in commands.items():
                code, wall, rss, lines = run(cmd)
                ok = code == 1 and len(lines) == 1 and wall <= TARGET_SECONDS
                failed |= not ok
                print("  %-18s %5.2f s %6.1f MB exit %d %s  %s"
                      % (name, wall, rss, code, "ok" if ok else "MISSED", lines[-1] if lines else "(no message)"))
    print("target: refused with one line within %.0f s under a 512 MB address-space limit" % TARGET_SECONDS)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
