#!/usr/bin/python3
"""Times tagshifter against the peer tool and the TagLib floor.

Run through bench/run.sh, which builds the two programs and checks the peer.
For each workload the pristine files are made once (make_fixtures.py); every
timed run gets a fresh copy of them, made and synced to disk before the clock
starts. Contenders take turns in an order that rotates each round, and the
table shows the median wall time over the rounds. Peak RSS is the child's own
(wait4), so the copy and this script are not counted. System calls per file
are counted once per workload and contender, outside the timed rounds, with
strace -f -c: the calls of a run over all the files less those of a run over
one file, divided by the files less one, so that start-up is not counted.
"""

import argparse
import csv
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"

# name, files, MPEG frames per file (417 bytes each), ID3v2 padding,
# every Nth file without padding (0: none), what it shows
FULL = [
    ("a", 2000, 96, 512, 0, "40 KB files, 512 bytes of padding: the converted tag fits"),
    ("a-pad2k", 2000, 96, 2048, 0, "as (a) with 2 KiB of padding: TagLib cuts it to 1 KiB, rewrites the file"),
    ("b", 30, 12000, 2048, 3, "5 MB files; every 3rd has no padding, its tag outgrows it"),
    ("b-fit", 20, 12000, 2048, 0, "as (b), every tag fits its padding: nothing is rewritten"),
    ("b-rewrite", 20, 12000, 0, 1, "5 MB files, no padding: every file is rewritten"),
    ("c500", 500, 96, 512, 0, "as (a), to see how cost grows with the number of files"),
    ("c4000", 4000, 96, 512, 0, "as (a), to see how cost grows with the number of files"),
]
QUICK = [
    ("a", 40, 96, 512, 0, FULL[0][5]),
    ("a-pad2k", 40, 96, 2048, 0, FULL[1][5]),
    ("b", 3, 1200, 2048, 3, "500 KB files; every 3rd has no padding, its tag outgrows it"),
    ("b-fit", 2, 1200, 2048, 0, "as (b), every tag fits its padding: nothing is rewritten"),
    ("b-rewrite", 3, 1200, 0, 1, "500 KB files, no padding: every file is rewritten"),
    ("c500", 10, 96, 512, 0, FULL[5][5]),
    ("c4000", 80, 96, 512, 0, FULL[6][5]),
]


# The code-page guess is timed on these workloads only, against the same
# run with the page named: the rest would say nothing more.
AUTO_WORKLOADS = ("a",)
AUTO_LISTS = ("auto:cp1251,koi8-r", "auto")


def contenders(args):
    return [
        ("tagshifter", [args.tagshifter, "-q", "-s", "cp1251", "-1", "cp1251", "-2", "unicode"]),
        ("floor", [args.floor]),
        ("peer", [args.peer, "-q", "-e", "cp1251"]),
    ]


def auto_contenders(args):
    return [(f"ts -s {setting}", [args.tagshifter, "-q", "-s", setting, "-1", "cp1251", "-2", "unicode"])
            for setting in AUTO_LISTS]


# The journal's cost is timed on these workloads: tagshifter as above (its
# journal on, as by default) against the same run with --no-journal.
JOURNAL_WORKLOADS = ("a",)
NO_JOURNAL = "ts --no-journal"


def journal_contenders(args):
    return [(NO_JOURNAL, contenders(args)[0][1] + ["--no-journal"])]


def players_for(workload, args):
    extra = auto_contenders(args) if workload[0] in AUTO_WORKLOADS else []
    if workload[0] in JOURNAL_WORKLOADS:
        extra = extra + journal_contenders(args)
    return contenders(args) + extra


def journal_bytes_per_file(args, count):
    """Runs tagshifter once over files with 100 KB cover pictures; the size of
    its journal per changed file."""
    pristine = os.path.join(args.workdir, "pristine", "cover")
    recipe = f"{count} 96 512 cover 100000\n"
    stamp = os.path.join(pristine, ".made")
    if not (os.path.exists(stamp) and open(stamp).read() == recipe):
        shutil.rmtree(pristine, ignore_errors=True)
        subprocess.run([PYTHON, os.path.join(HERE, "make_fixtures.py"), pristine, str(count), "96", "512",
                        "--cover", "100000"], check=True)
        with open(stamp, "w") as out:
            out.write(recipe)
    run_dir = os.path.join(args.workdir, "run")
    fresh_copy(pristine, run_dir)
    journal = os.path.join(args.workdir, "cover.journal")
    if os.path.exists(journal):
        os.unlink(journal)
    names = mp3_names(run_dir)
    subprocess.run(contenders(args)[0][1] + ["--journal=" + journal] + names, cwd=run_dir, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    size = os.path.getsize(journal)
    shutil.rmtree(run_dir, ignore_errors=True)
    return size / len(names)


def make_pristine(root, workload):
    name, count, frames, padding, tight, _ = workload
    directory = os.path.join(root, "pristine", name)
    stamp = os.path.join(directory, ".made")
    recipe = f"{count} {frames} {padding} {tight}\n"
    if os.path.exists(stamp) and open(stamp).read() == recipe:
        return directory
    shutil.rmtree(directory, ignore_errors=True)
    subprocess.run([PYTHON, os.path.join(HERE, "make_fixtures.py"), directory, str(count),
                    str(frames), str(padding), "--tight-every", str(tight)], check=True)
    with open(stamp, "w") as out:
        out.write(recipe)
    return directory


def mp3_names(directory):
    return sorted(n for n in os.listdir(directory) if n.endswith(".mp3"))


def fresh_copy(pristine, target):
    shutil.rmtree(target, ignore_errors=True)
    subprocess.run(["cp", "-r", pristine, target], check=True)
    os.unlink(os.path.join(target, ".made"))
    os.sync()


def timed_run(command, cwd, log):
    with open(log, "w") as out:
        start = time.perf_counter()
        child = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                 stderr=subprocess.STDOUT)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    return wall, usage.ru_maxrss / 1024.0, child.returncode


def strace_calls(command, cwd, scratch):
    """Total system calls of one run under strace -f -c, or None without strace."""
    report = os.path.join(scratch, "strace.txt")
    try:
        subprocess.run(["strace", "-f", "-c", "-o", report] + command, cwd=cwd,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
    except FileNotFoundError:
        return None
    with open(report) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] == "total":
                return int(fields[3])
    return None


def syscalls_per_file(command, pristine, names, run_dir, scratch):
    """System calls a file beyond the first, start-up left out."""
    if len(names) < 2:
        return None
    fresh_copy(pristine, run_dir)
    one = strace_calls(command + names[:1], run_dir, scratch)
    fresh_copy(pristine, run_dir)
    every = strace_calls(command + names, run_dir, scratch)
    if one is None or every is None:
        return None
    return (every - one) / (len(names) - 1)


def check_written(directory, names):
    """Every contender writes ID3v2.4: a file still at 2.3 was not saved."""
    for name in (names[0], names[-1]):
        with open(os.path.join(directory, name), "rb") as f:
            head = f.read(4)
        if head[:3] != b"ID3" or head[3] != 4:
            return f"{name} still has ID3v2.{head[3]}"
    return None


def check_cyrillic_title(directory, names):
    """A guessing run must have read the cp1251 titles as cp1251: UTF-8 Cyrillic."""
    for name in (names[0], names[-1]):
        with open(os.path.join(directory, name), "rb") as f:
            head = f.read(4096)
        at = head.find(b"TIT2")
        size = int.from_bytes(head[at + 4:at + 8], "big") if at >= 0 else 0
        body = head[at + 10:at + 10 + size] if at >= 0 else b""
        try:
            title = body[1:].decode("utf-8")
        except UnicodeDecodeError:
            title = ""
        if body[:1] != b"\x03" or not any("\u0400" <= c <= "\u04ff" for c in title):
            return f"{name}: the title was not read as cp1251: {body!r}"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tagshifter", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--peer", default="/usr/bin/mid3iconv")
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--only", default="", help="comma-separated workload names")
    args = parser.parse_args()

    workloads = QUICK if args.quick else FULL
    if args.only:
        wanted = args.only.split(",")
        workloads = [w for w in workloads if w[0] in wanted]
    os.makedirs(args.workdir, exist_ok=True)
    # Every run's journal goes to the work folder, not to ~/.local/state.
    os.environ["XDG_STATE_HOME"] = os.path.join(args.workdir, "state")

    pristine = {}
    for w in workloads:
        pristine[w[0]] = make_pristine(args.workdir, w)
    names = {w[0]: mp3_names(pristine[w[0]]) for w in workloads}
    sizes = {w[0]: sum(os.path.getsize(os.path.join(pristine[w[0]], n)) for n in names[w[0]])
             for w in workloads}

    times = {(w[0], p[0]): [] for w in workloads for p in players_for(w, args)}
    rss = {(w[0], p[0]): [] for w in workloads for p in players_for(w, args)}
    raw = []
    run_dir = os.path.join(args.workdir, "run")
    log = os.path.join(args.workdir, "last-run.log")
    started = time.time()
    for r in range(args.rounds):
        for i, w in enumerate(workloads):
            players = players_for(w, args)
            shift = (r + i) % len(players)
            for label, command in players[shift:] + players[:shift]:
                fresh_copy(pristine[w[0]], run_dir)
                wall, peak, code = timed_run(command + names[w[0]], run_dir, log)
                problem = check_written(run_dir, names[w[0]]) if code == 0 else f"exit status {code}"
                if not problem and label.startswith("ts -s auto"):
                    problem = check_cyrillic_title(run_dir, names[w[0]])
                if problem:
                    sys.stdout.write(open(log, errors="replace").read()[:2000])
                    sys.exit(f"{label} on {w[0]}: {problem}")
                times[(w[0], label)].append(wall)
                rss[(w[0], label)].append(peak)
                raw.append((r + 1, w[0], label, f"{wall:.4f}", f"{peak:.1f}"))
        print(f"round {r + 1}/{args.rounds} done ({time.time() - started:.0f} s)",
              file=sys.stderr, flush=True)
    calls = {}
    for w in workloads:
        for label, command in players:
            calls[(w[0], label)] = syscalls_per_file(command, pristine[w[0]], names[w[0]],
                                                     run_dir, args.workdir)
    shutil.rmtree(run_dir, ignore_errors=True)

    with open(os.path.join(args.workdir, "raw.csv"), "w", newline="") as out:
        writer = csv.writer(out)
        writer.writerow(["round", "workload", "contender", "wall_s", "peak_rss_mib"])
        writer.writerows(raw)

    med = {key: statistics.median(v) for key, v in times.items()}
    print(f"median of {args.rounds} round(s); wall seconds; peak RSS is the largest seen")
    print()
    def fmt_calls(value):
        return "-" if value is None else f"{value:.0f}"

    print("| workload | files | MB | tagshifter s | floor s | peer s | ts/floor | ts/peer "
          "| ts ms/file | floor ms/file | peer ms/file | syscalls/file ts / floor / peer "
          "| peak RSS MiB ts / floor / peer |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for w in workloads:
        n = len(names[w[0]])
        ts, fl, pe = (med[(w[0], c)] for c in ("tagshifter", "floor", "peer"))
        syscalls = " / ".join(fmt_calls(calls[(w[0], c)]) for c in ("tagshifter", "floor", "peer"))
        peaks = " / ".join(f"{max(rss[(w[0], c)]):.1f}" for c in ("tagshifter", "floor", "peer"))
        print(f"| {w[0]} | {n} | {sizes[w[0]] / 1e6:.0f} | {ts:.4f} | {fl:.4f} | {pe:.4f} "
              f"| {ts / fl:.2f} | {ts / pe:.2f} | {ts / n * 1e3:.3f} | {fl / n * 1e3:.3f} "
              f"| {pe / n * 1e3:.3f} | {syscalls} | {peaks} |")
    print()
    for w in workloads:
        print(f"  {w[0]}: {w[5]}")
    keys = [w[0] for w in workloads]
    if "c500" in keys and "c4000" in keys:
        small, large = len(names["c500"]), len(names["c4000"])
        print()
        print(f"growth, time for {large} files / time for {small} files "
              f"(x{large / small:.0f} the files):")
        growth = {}
        for c in ("tagshifter", "floor", "peer"):
            growth[c] = med[("c4000", c)] / med[("c500", c)]
            print(f"  {c}: {growth[c]:.2f}")
        print(f"  tagshifter's growth / floor's growth: {growth['tagshifter'] / growth['floor']:.3f}")
    if "a" in keys and "a-pad2k" in keys:
        n = len(names["a"])
        print()
        print("the 2 KiB padding of (a-pad2k), extra time per file over (a):")
        for c in ("tagshifter", "floor", "peer"):
            extra = (med[("a-pad2k", c)] - med[("a", c)]) / n * 1e6
            print(f"  {c}: {extra:+.0f} us ({med[('a-pad2k', c)] / med[('a', c)] - 1:+.0%})")

    auto_keys = [k for k in keys if k in AUTO_WORKLOADS]
    if auto_keys:
        print()
        print("the code-page guess: -s auto... against -s cp1251 on the same files (-1 cp1251 -2 unicode):")
        for k in auto_keys:
            named = med[(k, "tagshifter")]
            for setting in AUTO_LISTS:
                guessed = med[(k, f"ts -s {setting}")]
                print(f"  {k}: -s {setting}: {guessed:.4f} s, x{guessed / named:.2f} of -s cp1251 "
                      f"({named:.4f} s), {(guessed - named) / len(names[k]) * 1e6:+.0f} us a file, "
                      f"peak RSS {max(rss[(k, f'ts -s {setting}')]):.1f} MiB")

    journal_keys = [k for k in keys if k in JOURNAL_WORKLOADS]
    cover_count = 20 if args.quick else 200
    per_file = journal_bytes_per_file(args, cover_count)
    print()
    print("the journal (on by default) against --no-journal on the same files:")
    for k in journal_keys:
        on, off = med[(k, "tagshifter")], med[(k, NO_JOURNAL)]
        print(f"  {k}: {on:.4f} s with the journal, {off:.4f} s without: x{on / off:.3f}, "
              f"{(on - off) / len(names[k]) * 1e6:+.0f} us a file")
    print(f"  journal size over {cover_count} files with 100 KB cover pictures: {per_file:.0f} bytes a file")

    print()
    print("goals:")
    ts_rss = [max(rss[(k, "tagshifter")]) for k in keys]

    def ratio(k, other):
        return med[(k, "tagshifter")] / med[(k, other)]

    checks = []
    for k in ("a", "c500", "c4000"):
        if k in keys:
            checks.append((f"tagshifter/floor <= 0.85 on {k} ({ratio(k, 'floor'):.2f})",
                           ratio(k, "floor") <= 0.85))
    if "a" in keys:
        checks.append((f"tagshifter/peer <= 0.30 on a ({ratio('a', 'peer'):.2f})",
                       ratio("a", "peer") <= 0.30))
        if calls[("a", "tagshifter")] is not None:
            checks.append((f"system calls per small file <= 10 ({calls[('a', 'tagshifter')]:.1f})",
                           calls[("a", "tagshifter")] <= 10))
    if "b-rewrite" in keys:
        checks.append((f"tagshifter/floor <= 0.40 where every 5 MB file is rewritten "
                       f"({ratio('b-rewrite', 'floor'):.2f}; aim 0.2)",
                       ratio("b-rewrite", "floor") <= 0.40))
        checks.append((f"faster than the peer there ({ratio('b-rewrite', 'peer'):.2f})",
                       ratio("b-rewrite", "peer") < 1.0))
        if calls[("b-rewrite", "tagshifter")] is not None:
            checks.append((f"a few dozen system calls per rewritten file, not thousands "
                           f"({calls[('b-rewrite', 'tagshifter')]:.0f})",
                           calls[("b-rewrite", "tagshifter")] <= 60))
    if "c500" in keys and "c4000" in keys:
        checks.append(("growth c4000/c500 within 10% of the floor's",
                       abs(growth["tagshifter"] / growth["floor"] - 1) <= 0.10))
        checks.append(("peak RSS flat: c4000 within 1 MiB of c500",
                       max(rss[("c4000", "tagshifter")]) - max(rss[("c500", "tagshifter")]) <= 1.0))
    if "a" in keys and "b-rewrite" in keys:
        # Large files are read in windows: memory does not follow the file size.
        extra = max(rss[("b-rewrite", "tagshifter")]) - max(rss[("a", "tagshifter")])
        checks.append((f"peak RSS flat above the whole-read size: 5 MB files within 2 MiB "
                       f"of 40 KB files ({extra:+.1f} MiB)", extra <= 2.0))
    checks.append(("peak RSS below 16 MiB", max(ts_rss) < 16.0))
    for k in auto_keys:
        for setting in AUTO_LISTS:
            checks.append((f"-s {setting} <= 1.6x -s cp1251 on {k}",
                           med[(k, f"ts -s {setting}")] / med[(k, "tagshifter")] <= 1.6))
    for k in journal_keys:
        cost = med[(k, "tagshifter")] / med[(k, NO_JOURNAL)]
        checks.append((f"journal cost <= 10% on {k} ({cost - 1:+.1%})", cost <= 1.10))
    checks.append((f"journal <= 4 KiB a changed file with 100 KB covers ({per_file:.0f} bytes)",
                   per_file <= 4096))
    for text, ok in checks:
        print(f"  {'met    ' if ok else 'NOT met'}  {text}")
    print()
    print(f"raw figures: {os.path.join(args.workdir, 'raw.csv')}")


if __name__ == "__main__":
    main()
