#!/usr/bin/env python3
"""Mutation fuzzing of the file readers through norvane-tool, run by hand.

    scripts/fuzz-tool.py [--tool build-asan/bin/norvane-tool] [--cases 2000] [--seed 1]

Each reader gets CASES mutated inputs made from the shipped files (flipped,
inserted, deleted and repeated bytes, cut-off ends, spliced lines): object text
and two-line element imports, settings files, data files and the index. A case
fails when the tool crashes, hangs, prints a sanitizer report, reports success
for an import that left something out, writes a non-finite number, or changes
a database file that the command had no reason to touch. Failing inputs are
kept under the work directory for a regression test.
"""

import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SANITIZER_MARKS = (b"AddressSanitizer", b"runtime error:", b"LeakSanitizer", b"UndefinedBehaviorSanitizer")


def mutate(data, rng):
    data = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        choice = rng.randrange(7)
        at = rng.randrange(len(data) + 1)
        if choice == 0 and data:
            data[min(at, len(data) - 1)] ^= 1 << rng.randrange(8)
        elif choice == 1:
            data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 16)))
        elif choice == 2:
            del data[at:at + rng.randint(1, 64)]
        elif choice == 3:
            data = data[:at]
        elif choice == 4 and data:
            piece = data[at:at + rng.randint(1, 200)]
            data[at:at] = piece * rng.randint(1, 50)
        elif choice == 5:
            data[at:at] = rng.choice([b"\t", b"\r", b"\n", b"\0", b"nan", b"inf", b"1e308",
                                      b"-", b"99999999999", b"\xff\xfe", b"\xef\xbb\xbf", b"="])
        elif choice == 6 and data:
            lines = bytes(data).split(b"\n")
            rng.shuffle(lines)
            data = bytearray(b"\n".join(lines))
    return bytes(data)


class Fuzzer:
    def __init__(self, tool, work):
        self.tool = tool
        self.work = work
        self.failures = 0

    def run(self, program_dir, args, timeout=30):
        try:
            done = subprocess.run([self.tool, "--program-dir", program_dir] + args, cwd=program_dir,
                                  capture_output=True, timeout=timeout,
                                  env=dict(os.environ, QT_QPA_PLATFORM="offscreen",
                                           LSAN_OPTIONS="suppressions=%s:print_suppressions=0"
                                           % os.path.join(ROOT, "scripts/lsan.supp")))
        except subprocess.TimeoutExpired:
            return None
        return done

    def fail(self, reader, case, why, files):
        self.failures += 1
        keep = os.path.join(self.work, "failures", "%s-%d" % (reader, case))
        os.makedirs(keep, exist_ok=True)
        for f in files:
            if os.path.exists(f):
                shutil.copy(f, keep)
        print("FAIL %s case %d: %s (kept in %s)" % (reader, case, why, keep), flush=True)

    def bad_run(self, done):
        if done is None:
            return "hang"
        if done.returncode < 0 or done.returncode > 2:
            return "exit %d" % done.returncode
        for mark in SANITIZER_MARKS:
            if mark in done.stderr:
                return "sanitizer: " + done.stderr.decode("latin-1")[:300]
        return None


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def database(program_dir):
    db = os.path.join(program_dir, "Database")
    return {name: digest(os.path.join(db, name)) for name in sorted(os.listdir(db))
            if os.path.isfile(os.path.join(db, name))}


def make_program_dir(fuzzer, where):
    os.makedirs(where)
    for name in ("SolarSystem.txt", "Sites.txt"):
        shutil.copy(os.path.join(ROOT, "data/catalog", name), where)
    head = open(os.path.join(ROOT, "data/catalog/BrightStars.txt"), "rb").read().split(b"\n")[:400]
    open(os.path.join(where, "Stars.txt"), "wb").write(b"\n".join(head) + b"\n")
    done = fuzzer.run(where, ["import", "SolarSystem.txt", "Sites.txt", "Stars.txt"])
    assert done is not None and done.returncode == 0, done and done.stderr


def fuzz_imports(fuzzer, rng, cases, reader, seed_path, extension):
    seed = open(seed_path, "rb").read()
    if len(seed) > 20000:
        seed = b"\n".join(seed.split(b"\n")[:120])
    pd = os.path.join(fuzzer.work, "import-" + reader)
    make_program_dir(fuzzer, pd)
    batch = 25
    for start in range(0, cases, batch):
        before = database(pd)
        names = []
        for k in range(batch):
            name = "f%d%s" % (start + k, extension)
            open(os.path.join(pd, name), "wb").write(mutate(seed, rng))
            names.append(name)
        done = fuzzer.run(pd, ["import"] + names, timeout=120)
        why = fuzzer.bad_run(done)
        after = database(pd)
        for name, sha in before.items():
            if name != "Index.nvd" and after.get(name) != sha:
                why = why or "import changed %s" % name
        if why:
            fuzzer.fail(reader, start, why, [os.path.join(pd, n) for n in names])
        else:
            # Success only when every file went in whole: each printed its
            # data file, and nothing was said on the error output.
            written = done.stdout.count(b"\n")
            if done.returncode == 0 and (written != batch or done.stderr.strip()):
                fuzzer.fail(reader, start, "silent success", [os.path.join(pd, n) for n in names])
        for n in names:
            os.remove(os.path.join(pd, n))


def fuzz_settings(fuzzer, rng, cases):
    pd = os.path.join(fuzzer.work, "settings")
    make_program_dir(fuzzer, pd)
    seed = open(os.path.join(ROOT, "data/Norvane.ini"), "rb").read()
    seed = seed.replace(b"</NorvaneSettingsFile>",
                        b"<Trail>\r\nTrailObject=Mars\r\nTrailPoints=100\r\n</Trail>\r\n</NorvaneSettingsFile>")
    for case in range(cases):
        text = mutate(seed, rng)
        path = os.path.join(pd, "in.nvs")
        open(path, "wb").write(text)
        out = os.path.join(pd, "out.nvs")
        if os.path.exists(out):
            os.remove(out)
        done = fuzzer.run(pd, ["--settings", "in.nvs", "settings", "--out", "out.nvs"])
        why = fuzzer.bad_run(done)
        if not why and open(path, "rb").read() != text:
            why = "the settings file read was changed"
        if not why and os.path.exists(out):
            saved = open(out, "rb").read().lower()
            if b"=nan" in saved or b"=inf" in saved or b"=-nan" in saved or b"=-inf" in saved:
                why = "non-finite value written"
        if why:
            fuzzer.fail("settings", case, why, [path])


def fuzz_database(fuzzer, rng, cases, which):
    pd = os.path.join(fuzzer.work, "db-" + which)
    make_program_dir(fuzzer, pd)
    db = os.path.join(pd, "Database")
    target = os.path.join(db, "Index.nvd" if which == "index" else "Stars.nvd")
    seed = open(target, "rb").read()
    index = open(os.path.join(db, "Index.nvd"), "rb").read()
    for case in range(cases):
        data = mutate(seed, rng)
        open(target, "wb").write(data)
        if which != "index":
            open(os.path.join(db, "Index.nvd"), "wb").write(index)
        before = database(pd)
        why = None
        said = b""
        for args in (["stats"], ["find", "Sirius"], ["find", "--all", "a"]):
            done = fuzzer.run(pd, args)
            why = why or fuzzer.bad_run(done)
            said += b"$ %s -> %s\n" % (" ".join(args).encode(), b"?" if done is None else b"%d" % done.returncode)
            if done is not None:
                said += done.stderr
            after = database(pd)
            if not why and after != before:
                changed = sorted(n for n in set(before) | set(after) if before.get(n) != after.get(n))
                why = "'%s' changed the database: %s" % (" ".join(args), ", ".join(changed))
        if why:
            open(os.path.join(fuzzer.work, "said.txt"), "wb").write(said)
            open(os.path.join(fuzzer.work, "input.bin"), "wb").write(data)
            shutil.copy(os.path.join(db, "Index.nvd"), os.path.join(fuzzer.work, "Index-after.nvd"))
            fuzzer.fail(which, case, why, [os.path.join(fuzzer.work, "said.txt"),
                                           os.path.join(fuzzer.work, "input.bin"),
                                           os.path.join(fuzzer.work, "Index-after.nvd")])
            open(target, "wb").write(data)
    open(target, "wb").write(seed)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default=os.path.join(ROOT, "build-asan/bin/norvane-tool"))
    parser.add_argument("--cases", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--readers", default="text,tle,settings,data,index")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="norvane-fuzz-")
    fuzzer = Fuzzer(os.path.abspath(args.tool), work)
    rng = random.Random(args.seed)
    readers = args.readers.split(",")
    if "text" in readers:
        fuzz_imports(fuzzer, rng, args.cases, "text", os.path.join(ROOT, "data/catalog/SolarSystem.txt"), ".txt")
    if "tle" in readers:
        fuzz_imports(fuzzer, rng, args.cases, "tle", os.path.join(ROOT, "data/catalog/Satellites.tle"), ".tle")
    if "settings" in readers:
        fuzz_settings(fuzzer, rng, args.cases)
    for which in ("data", "index"):
        if which in readers:
            fuzz_database(fuzzer, rng, args.cases, which)
    print("%d failures; work directory %s" % (fuzzer.failures, work))
    return 1 if fuzzer.failures else 0


if __name__ == "__main__":
    sys.exit(main())
