#!/usr/bin/env python3
"""Runs scripted sessions through the game and through a plain C stdio program
with the same output, side by side, and prints what each costs: wall time,
user-space instructions, write and read calls, and peak memory.

Usage: bench.py VELKA C_PROGRAM LIBRARY MAX_RATIO
LIBRARY names the C++ standard library VELKA was built with; MAX_RATIO is the
most user-space instructions per cycle it may take for one of C's.
Needs valgrind, strace, script (util-linux) and /usr/bin/time. Exits 1 if a
target is missed.
"""
import os
import re
import shlex
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

RUNS = 5  # paired wall-time runs; the median is shown
SYSCALL_CYCLES = 10_000  # strace slows each call: a shorter session, same floor per cycle
MIN_READ_BLOCK = 4096
MAX_START_KIB = 4096


def main_menu(n):
    return "3\n" * n + "7\n", 11 * (n + 1)


def game_menu(n):
    return "2\n" + "4\n" * n + "7\n7\n", 11 * (n + 3)


def log_ins(n):
    return "1 Ann\n" * n + "7\n", 12 * n + 11


# name, script and its floor of write calls for n cycles, n
WORKLOADS = [
    ("main menu", main_menu, 100_000),
    ("game menu", game_menu, 100_000),
    ("log-in", log_ins, 50_000),
]


def script_file(directory, text):
    fd, path = tempfile.mkstemp(dir=directory)
    with os.fdopen(fd, "w") as f:
        f.write(text)
    return path


def wall(program, path):
    with open(path, "rb") as stdin, open(os.devnull, "wb") as stdout:
        start = time.perf_counter()
        subprocess.run([program], stdin=stdin, stdout=stdout, check=True, timeout=600)
        return time.perf_counter() - start


def instructions(program, path):
    with open(path, "rb") as stdin:
        done = subprocess.run(
            ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", program],
            stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            check=True, timeout=1200, text=True)
    return int(re.search(r"Collected : (\d+)", done.stderr).group(1))


def syscalls(program, path, directory, terminal=False):
    """Returns (write calls on stdout, read calls on stdin, smallest read asked)."""
    log = os.path.join(directory, "strace.log")
    command = ["strace", "-o", log, "-e", "trace=read,write", program]
    with open(path, "rb") as stdin:
        if terminal:
            # script gives the program a terminal as standard output.
            line = shlex.join(command) + " < " + shlex.quote(path)
            subprocess.run(["script", "-q", "-e", "-c", line, "/dev/null"],
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           check=True, timeout=600)
        else:
            subprocess.run(command, stdin=stdin, stdout=subprocess.PIPE, check=True, timeout=600)
    with open(log) as f:
        calls = f.read()
    writes = len(re.findall(r"^write\(1,", calls, re.M))
    reads = [int(size) for size in re.findall(r"^read\(0, .*, (\d+)\)", calls, re.M)]
    return writes, len(reads), min(reads, default=0)


def start_up(program):
    """User-space instructions from start to exit on the input 7."""
    done = subprocess.run(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", program],
        input="7\n", text=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    return int(re.search(r"Collected : (\d+)", done.stderr).group(1))


def static(program):
    """Whether an ELF64 program has no interpreter (PT_INTERP) to load it."""
    with open(program, "rb") as f:
        elf = f.read()
    phoff, = struct.unpack_from("<Q", elf, 0x20)
    phentsize, phnum = struct.unpack_from("<HH", elf, 0x36)
    return all(struct.unpack_from("<I", elf, phoff + i * phentsize)[0] != 3 for i in range(phnum))


def peak_kib(program):
    done = subprocess.run(["/usr/bin/time", "-v", program], input="7\n", text=True,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr).group(1))


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    velka, c_program = (os.path.abspath(p) for p in sys.argv[1:3])
    library, max_ratio = sys.argv[3], float(sys.argv[4])
    print(f"velka built with {library}, against plain C stdio")
    for tool in ("valgrind", "strace", "script"):
        if not shutil.which(tool):
            sys.exit(f"bench: {tool} is needed")
    programs = {"velka": velka, "C": c_program}
    missed = []

    def target(ok, text):
        print(f"  {'met   ' if ok else 'MISSED'} {text}")
        if not ok:
            missed.append(text)

    with tempfile.TemporaryDirectory() as directory:
        for name, make, n in WORKLOADS:
            full, _ = make(n)
            half, _ = make(n // 2)
            full_path = script_file(directory, full)
            half_path = script_file(directory, half)
            small, small_floor = make(SYSCALL_CYCLES)
            small_path = script_file(directory, small)
            print(f"{name}: {n:,} cycles")

            times = {p: [] for p in programs}
            for _ in range(RUNS):
                for label, program in programs.items():
                    times[label].append(wall(program, full_path))
            median = {p: statistics.median(t) for p, t in times.items()}
            print(f"  wall time, median of {RUNS}: velka {median['velka']:.3f} s, "
                  f"C {median['C']:.3f} s, ratio {median['velka'] / median['C']:.2f}")

            # Instruction counts do not depend on load: run them side by side.
            with ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
                counts = {(label, path): pool.submit(instructions, program, path)
                          for label, program in programs.items()
                          for path in (full_path, half_path)}
            per_cycle = {label: (counts[label, full_path].result() -
                                 counts[label, half_path].result()) / (n - n // 2)
                         for label in programs}
            ratio = per_cycle["velka"] / per_cycle["C"]
            print(f"  user-space instructions per cycle: velka {per_cycle['velka']:.0f}, "
                  f"C {per_cycle['C']:.0f}, ratio {ratio:.3f}")

            for label, program in programs.items():
                writes, reads, smallest = syscalls(program, small_path, directory)
                tty_writes, _, _ = syscalls(program, small_path, directory, terminal=True)
                print(f"  {label:5} {SYSCALL_CYCLES:,} cycles: write calls {writes:,} on a pipe, "
                      f"{tty_writes:,} on a terminal (floor {small_floor:,}); "
                      f"read calls {reads:,}, each asking {smallest:,} bytes or more")
                if label == "velka":
                    target(writes == small_floor, f"{name}: write calls on a pipe at the floor")
                    target(tty_writes == small_floor,
                           f"{name}: write calls on a terminal at the floor")
                    target(smallest >= MIN_READ_BLOCK,
                           f"{name}: input read in blocks of {MIN_READ_BLOCK} bytes or more")
            target(ratio <= max_ratio, f"{name}: instructions per cycle at most {max_ratio} times C's")

        starts = {label: start_up(program) for label, program in programs.items()}
        linked = "static" if static(velka) else "dynamic"
        print(f"start to exit on 7, user-space instructions: velka ({linked}) "
              f"{starts['velka']:,}, C {starts['C']:,}")
        if linked == "static":
            target(starts["velka"] <= starts["C"], "start-up of the static build at most C's")

        peak = {label: peak_kib(program) for label, program in programs.items()}
        print(f"peak memory at start: velka {peak['velka']:,} KiB, C {peak['C']:,} KiB")
        target(peak["velka"] <= MAX_START_KIB, f"peak memory at start at most {MAX_START_KIB} KiB")

    if missed:
        print(f"{len(missed)} target(s) missed")
        return 1
    print("every target met")
    return 0


if __name__ == "__main__":
    sys.exit(main())
