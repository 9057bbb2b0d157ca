#!/usr/bin/env python3
"""Runs the golden cases of tests/golden against zeko.exe under Wine.

The case format is the one tests/golden/golden_test.cpp reads (fibconf,
input, args, before/, expected/, absent, result). Every case runs in the same
work directory, which is also the Windows temporary directory of the Wine
prefix (test-windows.sh sets TMP and TEMP to it), so cases run one at a time.
"/NOGUI" is appended to every command line: no window, no message box.

Usage: wine_golden.py ZEKO_EXE WORK_DIR [--skip FILE] [--wine CMD] [FILTER...]
A FILTER is a substring of "target/case"; without one every case runs.
"""
import argparse
import datetime
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
GOLDEN = ROOT / "tests" / "golden"
TIMEOUT = 120  # seconds per case; Wine's first start in a fresh prefix is slow


def atoi(text: bytes) -> int:
    m = re.match(rb"\s*([+-]?\d+)", text)
    return int(m.group(1)) if m else 0


def encode_records(readable: bytes) -> bytes:
    """The readable record form as record lines ending in CR LF."""
    out = bytearray()
    record = bytearray()
    is_open = False

    def end():
        nonlocal is_open
        if is_open:
            out.extend(record + b"\r\n")
        record.clear()
        is_open = False

    for line in readable.split(b"\n"):
        if line.endswith(b"\r"):
            line = line[:-1]
        if line.startswith(b"#"):
            continue
        if line == b"--":
            end()
            continue
        if line.startswith(b"raw:"):
            end()
            out.extend(line[4:] + b"\r\n")
            continue
        if len(line) < 3:
            continue
        number = atoi(line[:3])
        fmt = 0
        pos = 3
        if pos < len(line) and line[pos:pos + 1] == b"/":
            sp = line.find(b" ", pos)
            fmt = atoi(line[pos + 1:sp if sp >= 0 else len(line)])
            pos = sp if sp >= 0 else len(line)
        value = line[pos + 1:] if pos < len(line) else b""
        record.extend(b"%03d%03d%03d" % (number, len(value), fmt) + value)
        is_open = True
    end()
    return bytes(out)


def difference(want: bytes, got: bytes) -> str:
    i = 0
    while i < len(want) and i < len(got) and want[i] == got[i]:
        i += 1

    def around(s: bytes) -> str:
        part = s[max(0, i - 40):max(0, i - 40) + 80]
        return part.decode("latin-1").replace("\r", "~").replace("\n", "|")

    return (f"sizes {len(want)} (expected) and {len(got)} (actual), first difference at byte {i}\n"
            f"      expected: {around(want)}\n      actual:   {around(got)}")


def fill_time(want: bytes, actual: bytes) -> bytes:
    """The first {TIME} or {TIME6} adopts the run's clock time from the actual
    file at that place; every further one must show the same time."""
    found = [i for i in (want.find(b"{TIME}"), want.find(b"{TIME6}")) if i >= 0]
    if not found:
        return want
    at = min(found)
    six = want.startswith(b"{TIME6}", at)
    hms = actual[at:at + (6 if six else 8)]
    if not six:
        hms = hms[0:2] + hms[3:5] + hms[6:8]
    if len(hms) != 6 or not hms.isdigit():
        hms = b"??????"
    colons = hms[0:2] + b":" + hms[2:4] + b":" + hms[4:6]
    return want.replace(b"{TIME}", colons).replace(b"{TIME6}", hms)


def cases():
    for target in sorted(p for p in GOLDEN.iterdir() if p.is_dir()):
        for case in sorted(p for p in target.iterdir() if p.is_dir()):
            if (case / "fibconf").exists():
                yield f"{target.name}/{case.name}", case


def read_skips(path):
    skips = {}
    if path and Path(path).exists():
        for raw in Path(path).read_text(encoding="utf-8").splitlines():
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            name, _, reason = line.partition(" ")
            skips[name] = reason.strip().lstrip("#").strip()
    return skips


def clear(work: Path):
    for entry in work.iterdir():
        if entry.is_dir() and not entry.is_symlink():
            shutil.rmtree(entry)
        else:
            entry.unlink()


def run_case(case: Path, exe: str, work: Path, wine: list) -> list:
    """Runs one case; returns the list of failures (empty when it passed)."""
    clear(work)
    shutil.copyfile(case / "fibconf", work / "fibconf")
    if (case / "before").exists():
        shutil.copytree(case / "before", work, dirs_exist_ok=True)
    if (case / "input").exists():
        (work / "INPUT.$TM").write_bytes(encode_records((case / "input").read_bytes()))
    args = [b"/CONFIG:fibconf", b"/TEMP:INPUT"]
    if (case / "args").exists():
        args = (case / "args").read_bytes().split()
    args.append(b"/NOGUI")

    want_code, want_err = 0, b""
    if (case / "result").exists():
        r = (case / "result").read_bytes()
        nl = r.find(b"\n")
        want_code = atoi(r if nl < 0 else r[:nl])
        want_err = b"" if nl < 0 else r[nl + 1:]

    # Files, not pipes: a helper process that Wine starts on the side (its
    # desktop process) inherits the handles and would hold a pipe open for
    # seconds after zeko.exe has ended.
    out_path = work.parent / (work.name + ".stdout")
    err_path = work.parent / (work.name + ".stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        try:
            proc = subprocess.run(wine + [exe] + args, cwd=work, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return [f"timeout after {TIMEOUT} s"]
    stdout, stderr = out_path.read_bytes(), err_path.read_bytes()
    # The run's directory is its temporary directory, as Windows names it.
    win_work = ("Z:" + str(work.resolve()).replace("/", "\\") + "\\").encode()
    stdout = stdout.replace(win_work, b"{WORK}")
    stderr = stderr.replace(win_work, b"{WORK}")

    today = datetime.date.today()
    long_date = today.strftime("%d.%m.%Y").encode()
    short_date = today.strftime("%d%m%y").encode()
    iso_date = today.strftime("%Y-%m-%d").encode()
    compact_date = today.strftime("%Y%m%d").encode()
    want_out = b""
    if (case / "stdout").exists():
        want_out = (case / "stdout").read_bytes().replace(b"{TODAY}", long_date)

    failures = []
    if proc.returncode != want_code:
        failures.append(f"exit code {proc.returncode}, expected {want_code}")
    if stderr != want_err:
        failures.append("stderr " + difference(want_err, stderr))
    if stdout != want_out:
        failures.append("stdout " + difference(want_out, stdout))
    expected = case / "expected"
    if expected.exists():
        for path in sorted(p for p in expected.rglob("*") if p.is_file()):
            rel = path.relative_to(expected)
            want = path.read_bytes().replace(b"{TODAY}", long_date).replace(b"{TODAY6}", short_date)
            want = want.replace(b"{ISODATE}", iso_date).replace(b"{DATE8}", compact_date)
            actual_path = work / rel
            if not actual_path.exists():
                failures.append(f"{rel} was not written")
                continue
            actual = actual_path.read_bytes()
            want = fill_time(want, actual)
            if actual != want:
                failures.append(f"{rel}: " + difference(want, actual))
    if (case / "absent").exists():
        for name in (case / "absent").read_text(encoding="utf-8").split():
            if (work / name).exists():
                failures.append(f"{name} should not exist")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("work")
    parser.add_argument("--skip")
    parser.add_argument("--wine", default="wine")
    parser.add_argument("filters", nargs="*")
    # Filters may follow --skip: positionals and options intermixed.
    opts = parser.parse_intermixed_args()

    exe = str(Path(opts.exe).resolve())
    work = Path(opts.work)
    work.mkdir(parents=True, exist_ok=True)
    wine = opts.wine.split()
    skips = read_skips(opts.skip)

    passed = failed = skipped = 0
    failed_names = []
    for name, case in cases():
        if opts.filters and not any(f in name for f in opts.filters):
            continue
        if name in skips:
            print(f"[ SKIPPED ] {name}: {skips[name]}")
            skipped += 1
            continue
        failures = run_case(case, exe, work, wine)
        if failures:
            # Wine itself now and then fails a start (its server still coming
            # up); a case fails only when it fails twice. Both reports show.
            print(f"[  RETRY  ] {name}: " + "; ".join(failures))
            failures = run_case(case, exe, work, wine)
        if failures:
            failed += 1
            failed_names.append(name)
            print(f"[  FAILED ] {name}")
            for f in failures:
                print("    " + f)
        else:
            passed += 1
            print(f"[      OK ] {name}")
        sys.stdout.flush()
    clear(work)
    unknown = sorted(set(skips) - {name for name, _ in cases()})
    for name in unknown:
        print(f"note: skip entry {name} names no case")
    if failed_names:
        print("failed cases: " + " ".join(failed_names))
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
