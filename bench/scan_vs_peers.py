#!/usr/bin/env python3
"""The batch scan against the one-thread floor and the tools a user would reach for, on the shared
corpus: median of 3 wall-clock runs of each, over all picked files and over each kind of file.

  scan_vs_peers.py --corpus DIR --manifest TSV --floor SCANFLOOR --scan SCENE_BUILDER --work DIR
                   [--jobs N] [--runs 3] [--kinds] [--no-peers]

The scan writes image_scan.pov into the folder it scans, so it scans hard-linked views of the
corpus under --work (the corpus itself is never written). Prints a table of seconds and of ratios
against the floor (lower is better), then the peak resident memory of the whole scan at each job
count.
"""
import argparse, os, re, shutil, statistics, subprocess, sys, time


def link_tree(pairs, root):
    """Makes root/relpath for each (source, relpath), by hard link where possible."""
    for source, rel in pairs:
        target = os.path.join(root, rel)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        try:
            os.link(source, target)
        except OSError:
            shutil.copyfile(source, target)


def read_manifest(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            fields = dict(zip(header, line.rstrip("\n").split("\t")))
            rows.append(fields)
    return rows


def timed(cmd, stdin=None, env=None):
    start = time.monotonic()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=stdin, env=env, check=False)
    return time.monotonic() - start


def median_of(runs, fn):
    return statistics.median(fn() for _ in range(runs))


PILLOW = r"""
import sys
from PIL import Image
Image.MAX_IMAGE_PIXELS = None
for line in open(sys.argv[1], encoding="utf-8"):
    p = line.rstrip("\n")
    try:
        with Image.open(p) as im:
            im.load()
            w, h = im.size
    except Exception:
        w, h = 100, 100
"""


def pillow_python():
    """A Python that has Pillow: the system's first (Debian's python3-pil), else this one."""
    for candidate in ("/usr/bin/python3", sys.executable):
        if candidate and subprocess.run([candidate, "-c", "import PIL.Image"], stderr=subprocess.DEVNULL).returncode == 0:
            return candidate
    return None


def timed_checked(cmd, stdin=None):
    start = time.monotonic()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stdin=stdin, check=True)
    return time.monotonic() - start


def peak_kb(cmd):
    r = subprocess.run(["/usr/bin/time", "-v"] + cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", r.stderr)
    return int(m.group(1)) if m else -1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--corpus", required=True)
    ap.add_argument("--manifest", required=True)
    ap.add_argument("--floor", required=True)
    ap.add_argument("--scan", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--kinds", action="store_true", help="also time each kind of file on its own")
    ap.add_argument("--no-peers", action="store_true", help="skip Pillow and ImageMagick")
    a = ap.parse_args()

    rows = [r for r in read_manifest(a.manifest) if r.get("picked") == "1"]
    shutil.rmtree(a.work, ignore_errors=True)
    os.makedirs(a.work)
    # The whole tree as it is (unpicked files included: the walk meets them too).
    everything = []
    for dirpath, _, names in os.walk(a.corpus):
        for n in names:
            full = os.path.join(dirpath, n)
            everything.append((full, os.path.relpath(full, a.corpus)))
    sets = [("all", os.path.join(a.work, "all"), everything, [r["relpath"] for r in rows])]
    link_tree(everything, sets[0][1])
    if a.kinds:
        for kind in sorted({r["kind"] for r in rows}):
            rels = [r["relpath"] for r in rows if r["kind"] == kind]
            root = os.path.join(a.work, "kind", kind)
            link_tree([(os.path.join(a.corpus, rel), rel) for rel in rels], root)
            sets.append((kind, root, None, rels))

    identify = shutil.which("identify")
    pillow = pillow_python()
    env1 = dict(os.environ, SCENE_BUILDER_JOBS="1")
    columns = ["floor", "scan j1", "scan j%d" % a.jobs]
    if not a.no_peers:
        columns += (["Pillow"] if pillow else []) + (["identify"] if identify else [])
    results = {}
    for name, root, _, rels in sets:
        listing = os.path.join(a.work, name + ".list")
        with open(listing, "w", encoding="utf-8") as f:
            for rel in rels:
                f.write(os.path.join(root, rel) + "\n")
        t = {}
        t["floor"] = median_of(a.runs, lambda: timed([a.floor, "f", root]))
        t["scan j1"] = median_of(a.runs, lambda: timed([a.scan, "--jobs", "1", root], env=env1))
        t["scan j%d" % a.jobs] = median_of(a.runs, lambda: timed([a.scan, "--jobs", str(a.jobs), root]))
        if "Pillow" in columns:
            t["Pillow"] = median_of(a.runs, lambda: timed_checked([pillow, "-c", PILLOW, listing]))
        if "identify" in columns:
            def run_identify():
                with open(listing, "rb") as f:
                    return timed(["xargs", "-d", "\n", "-n", "100", identify, "-format", "%w %h\n"], stdin=f)
            t["identify"] = median_of(a.runs, run_identify)
        results[name] = (len(rels), t)
        print("  %-12s %s" % (name, "  ".join("%s %.2f s" % (c, t[c]) for c in columns)), file=sys.stderr, flush=True)

    print("\nseconds (median of %d) and ratio against the floor (`scanfloor f`, one thread; lower is better)" % a.runs)
    print("| files | kind | " + " | ".join(columns) + " | " + " | ".join(c + " / floor" for c in columns[1:]) + " |")
    print("|---" * (2 + 2 * len(columns) - 1) + "|")
    for name, (count, t) in results.items():
        floor = t["floor"]
        cells = ["%.2f" % t[c] for c in columns] + ["%.2f" % (t[c] / floor if floor > 0 else float("nan")) for c in columns[1:]]
        print("| %d | %s | %s |" % (count, name, " | ".join(cells)))

    print("\npeak resident memory of the whole scan (/usr/bin/time -v)")
    root = sets[0][1]
    print("| run | peak RSS |")
    print("|---|---|")
    print("| floor | %d MB |" % (peak_kb([a.floor, "f", root]) // 1024))
    for jobs in sorted({1, 2, a.jobs, 8}):
        print("| scan --jobs %d | %d MB |" % (jobs, peak_kb([a.scan, "--jobs", str(jobs), root]) // 1024))


if __name__ == "__main__":
    main()
