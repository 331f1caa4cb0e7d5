#!/usr/bin/env python3
"""Measures --find-settings on generated files: how often the original comes back byte for byte,
how long it takes, and that no wrong answer is ever reported as confirmed.

Each case makes a file of the row's kind (bench/sample_files.py), scrambles it with random
settings of the row's sort through the command line, and runs the search with a destination.
The command line uses every core of the machine. Not a test: it asserts nothing about time.

    bench/find_settings_bench.py [--cli PATH] [--cases N] [--seed S] [--rows png-plain,...]
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sample_files  # noqa: E402

# Row: (name, kind, randomised, largest step, the target in words).
ROWS = {
    "png-plain": ("png", False, 16, ">= 99 % within 1 s each"),
    "zip-plain": ("zip", False, 16, ">= 99 % within 1 s each"),
    "png-random": ("png", True, 8, ">= 95 % within 20 s on 2 cores"),
    "zip-random": ("zip", True, 8, ">= 80 % within 20 s on 2 cores"),
    "jpeg-plain": ("jpeg", False, 16, ">= 90 % confirmed or probable"),
    "pdf-plain": ("pdf", False, 16, ">= 90 % confirmed or probable"),
    "gif-plain": ("gif", False, 16, "-"),
    "wav-plain": ("wav", False, 16, "-"),
    "mp3-plain": ("mp3", False, 16, "-"),
}


def settings(rng: random.Random, randomised: bool, largest_step: int) -> dict:
    """A short step and an early start; values of every size, their low byte never 0 when plain."""
    if randomised:
        sort = rng.randrange(3)
        magnitude = [rng.randint(2, 255), rng.randint(256, 32767), rng.randint(32768, 2**31 - 1)][sort]
        value = magnitude * rng.choice([1, -1])
    else:
        value = rng.randint(-2**31, 2**31 - 1)
        if value & 0xFF == 0:
            value += 1
    return {"value": value, "step": rng.randint(1, largest_step), "start": rng.randint(0, 8),
            "slide": rng.randint(0, 8), "randomize": randomised}


def options(s: dict) -> list:
    return ["--value", str(s["value"]), "--step", str(s["step"]), "--start", str(s["start"]),
            "--slide", str(s["slide"])] + (["--randomize"] if s["randomize"] else [])


def run_case(cli: str, folder: str, kind: str, original: bytes, s: dict, limit: int) -> dict:
    source = os.path.join(folder, "original")
    scrambled = os.path.join(folder, "scrambled")
    restored = os.path.join(folder, "restored")
    with open(source, "wb") as f:
        f.write(original)
    if os.path.exists(restored):
        os.remove(restored)
    subprocess.run([cli] + options(s) + [source, scrambled], check=True)
    started = time.monotonic()
    search = subprocess.run([cli, "--find-settings", "--kind", kind, "--time-limit", str(limit),
                             scrambled, restored], capture_output=True, text=True)
    seconds = time.monotonic() - started
    written = os.path.exists(restored)
    exact = written and open(restored, "rb").read() == original
    return {"status": search.returncode, "seconds": seconds, "written": written, "exact": exact,
            "ambiguous": search.returncode == 3 and not written}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default="build/release/cli/pomuru-cipher-cli")
    parser.add_argument("--cases", type=int, default=30)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--limit", type=int, default=20, help="the search's time limit, seconds")
    parser.add_argument("--rows", default=",".join(ROWS))
    parser.add_argument("--verbose", action="store_true", help="name each case not restored")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    print(f"seed {args.seed}, {args.cases} cases a row, {os.cpu_count()} cores, time limit {args.limit} s")
    print("| Kind and settings | Restored byte-exact | confirmed / probable / several / none | "
          "median / slowest | Target |")
    print("|---|---|---|---|---|")
    wrong = 0
    with tempfile.TemporaryDirectory() as folder:
        for row in args.rows.split(","):
            kind, randomised, largest, target = ROWS[row]
            results = []
            for _ in range(args.cases):
                original = sample_files.MAKERS[kind](rng)
                s = settings(rng, randomised, largest)
                result = run_case(args.cli, folder, kind, original, s, args.limit)
                if result["status"] == 0 and not result["exact"]:
                    wrong += 1
                    print(f"WRONG CONFIRMED ANSWER: {kind} {s}", file=sys.stderr)
                if args.verbose and not result["exact"]:
                    print(f"  {kind} {s}: status {result['status']}, {result['seconds']:.2f} s",
                          file=sys.stderr)
                results.append(result)
            exact = sum(r["exact"] for r in results)
            counts = [sum(r["status"] == 0 for r in results),
                      sum(r["status"] == 3 and r["written"] for r in results),
                      sum(r["ambiguous"] for r in results),
                      sum(r["status"] == 1 for r in results)]
            times = sorted(r["seconds"] for r in results)
            settings_words = ("randomised" if randomised else "plain") + f", step <= {largest}"
            print(f"| {kind.upper()}, {settings_words} | {100 * exact / len(results):.0f} % "
                  f"({exact}/{len(results)}) | {' / '.join(map(str, counts))} | "
                  f"{statistics.median(times):.2f} s / {times[-1]:.2f} s | {target} |", flush=True)
    print(f"wrong answers reported as confirmed: {wrong}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
