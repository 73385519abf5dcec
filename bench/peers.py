#!/usr/bin/python3
"""Times the PDF reader against its peers over a corpus of PDFs.

Run with Debian's interpreter (the peers are Debian packages):

    /usr/bin/python3 bench/peers.py [--corpus /work/corpus] [--module-dir build-rel/python]
                                    [--rounds 3] [--peers scrivex,pdftotext,pymupdf,pdfminer]

Every peer extracts every PDF of the corpus (bench/corpus.sh builds one):

  scrivex    _scrivex.load_path_json(path); the JSON text returned to Python is
             part of the measured work
  pdftotext  poppler-utils, one process per file, text to stdout
  pymupdf    python3-fitz, get_text() over all pages
  pdfminer   python3-pdfminer, extract_text() with a per-file time limit

Each peer runs in its own worker process, once pinned to one core (taskset -c 0)
and once on all cores. On one core files run one after another; on all cores
the peers run one worker per core over the files, while scrivex runs the files
one after another with its own threads (so that number is its in-file
parallelism). Per-file times are the best of --rounds rounds; corpus totals sum
them. Peak memory is the peak resident size of a fresh process that extracts
one file (os.wait4), reported for the file where it is highest relative to
size. A word-level recall and precision of scrivex's page text against
pdftotext's text checks that speed did not cost text.
"""

import argparse
import collections
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PEERS = ("scrivex", "pdftotext", "pymupdf", "pdfminer")
PACKAGES = {"pdftotext": "poppler-utils", "pymupdf": "python3-fitz", "pdfminer": "python3-pdfminer"}
MB = 1024 * 1024


# ---------------------------------------------------------------------------
# Workers: one process per peer and core setting, files from a list.


class TimeLimit(Exception):
    pass


# CPU seconds of finished child processes (pdftotext), added by the extractor.
CHILD_CPU = [0.0]


def _alarm(signum, frame):
    raise TimeLimit()


def extractor(peer, module_dir):
    """A function path -> text (or None when the text is not wanted), or raises ImportError."""
    if peer == "scrivex":
        sys.path.insert(0, module_dir)
        import _scrivex

        return _scrivex.load_path_json
    if peer == "pymupdf":
        import fitz

        def pymupdf(path):
            with fitz.open(path) as document:
                return "".join(page.get_text() for page in document)

        return pymupdf
    if peer == "pdfminer":
        from pdfminer.high_level import extract_text

        return extract_text
    if peer == "pdftotext":
        if shutil.which("pdftotext") is None:
            raise ImportError("pdftotext not found")

        def pdftotext(path):
            process = subprocess.Popen(["pdftotext", "-q", path, "-"], stdout=subprocess.PIPE)
            output = process.stdout.read()
            _, status, usage = os.wait4(process.pid, 0)
            process.returncode = os.waitstatus_to_exitcode(status)
            CHILD_CPU[0] += usage.ru_utime + usage.ru_stime
            if process.returncode != 0:
                raise RuntimeError(f"pdftotext exit status {process.returncode}")
            return output

        return pdftotext
    raise ValueError(peer)


def worker(args):
    """Times args.peer over the listed files; prints one JSON object."""
    with open(args.files) as listing:
        files = [line.rstrip("\n") for line in listing if line.strip()]
    try:
        extract = extractor(args.peer, args.module_dir)
    except ImportError as error:
        print(json.dumps({"missing": str(error)}))
        return
    # The limit counts the worker's CPU time, so a busy machine does not trip it.
    signal.signal(signal.SIGPROF, _alarm)
    best = {}
    best_cpu = {}
    failures = {}
    for _ in range(args.rounds):
        for path in files:
            if path in failures:
                continue
            start = time.perf_counter()
            start_cpu = time.process_time() + CHILD_CPU[0]
            try:
                if args.time_limit:
                    signal.setitimer(signal.ITIMER_PROF, args.time_limit)
                extract(path)
            except TimeLimit:
                failures[path] = f"time limit of {args.time_limit:g} CPU s"
            except Exception as error:  # a peer's failure on one file is data, not a crash
                failures[path] = f"{type(error).__name__}: {str(error)[:120]}"
            finally:
                signal.setitimer(signal.ITIMER_PROF, 0)
            elapsed = time.perf_counter() - start
            cpu = time.process_time() + CHILD_CPU[0] - start_cpu
            best[path] = min(best.get(path, elapsed), elapsed)
            best_cpu[path] = min(best_cpu.get(path, cpu), cpu)
    print(json.dumps({"best": best, "best_cpu": best_cpu, "failures": failures}))


# ---------------------------------------------------------------------------
# The driver.


def corpus_files(corpus):
    found = []
    for root, dirs, names in os.walk(corpus):
        dirs[:] = sorted(d for d in dirs if not d.startswith("."))
        found.extend(os.path.join(root, name) for name in sorted(names) if name.lower().endswith(".pdf"))
    return found


def page_count(path):
    try:
        import fitz

        with fitz.open(path) as document:
            return document.page_count
    except Exception:
        pass
    try:
        info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=False).stdout
        for line in info.splitlines():
            if line.startswith("Pages:"):
                return int(line.split()[1])
    except Exception:
        pass
    return 0


def run_worker(peer, files, cpus, opts, extra=()):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as listing:
        listing.write("\n".join(files) + "\n")
    command = ["taskset", "-c", cpus, sys.executable, os.path.abspath(__file__), "--worker", peer,
               "--files", listing.name, "--rounds", str(rounds_of(peer, opts)), "--module-dir", opts.module_dir]
    command += list(extra)
    done = subprocess.run(command, capture_output=True, text=True, check=False)
    os.unlink(listing.name)
    if done.returncode != 0 or not done.stdout.strip():
        return {"missing": f"worker failed: {done.stderr.strip()[-300:]}"}
    return json.loads(done.stdout.strip().splitlines()[-1])


def rounds_of(peer, opts):
    """pdfminer is slow enough that one round is both enough and all there is time for."""
    return min(opts.rounds, opts.pdfminer_rounds) if peer == "pdfminer" else opts.rounds


def time_limit_args(peer, opts):
    return ["--time-limit", str(opts.time_limit)] if peer == "pdfminer" else []


def single_core(peer, files, opts):
    return run_worker(peer, files, "0", opts, time_limit_args(peer, opts))


def all_cores(peer, files, opts, cores):
    """Wall time over the corpus with every core busy, best of the rounds."""
    if peer == "scrivex":
        start = time.perf_counter()
        result = run_worker(peer, files, f"0-{cores - 1}", opts)
        result["wall"] = sum(result.get("best", {}).values())
        result["elapsed"] = time.perf_counter() - start
        return result
    # One worker per core, files dealt out by size so the halves weigh alike.
    by_size = sorted(files, key=os.path.getsize, reverse=True)
    shares = [by_size[i::cores] for i in range(cores)]
    walls = []
    merged = {"best": {}, "failures": {}}
    for _ in range(rounds_of(peer, opts)):
        start = time.perf_counter()
        with tempfile.TemporaryDirectory() as folder:
            processes = []
            for index, share in enumerate(shares):
                listing = os.path.join(folder, f"{index}.txt")
                with open(listing, "w") as out:
                    out.write("\n".join(share) + "\n")
                command = ["taskset", "-c", str(index), sys.executable, os.path.abspath(__file__), "--worker",
                           peer, "--files", listing, "--rounds", "1", "--module-dir", opts.module_dir]
                command += time_limit_args(peer, opts)
                processes.append(subprocess.Popen(command, stdout=subprocess.PIPE, text=True))
            outputs = [process.communicate()[0] for process in processes]
        walls.append(time.perf_counter() - start)
        for output in outputs:
            try:
                part = json.loads(output.strip().splitlines()[-1])
            except (ValueError, IndexError):
                continue
            if "missing" in part:
                return part
            merged["failures"].update(part["failures"])
            for path, seconds in part["best"].items():
                merged["best"][path] = min(merged["best"].get(path, seconds), seconds)
    merged["wall"] = min(walls)
    return merged


MEMORY_SNIPPET = {
    "scrivex": "import sys; sys.path.insert(0, {module_dir!r}); import _scrivex; _scrivex.load_path_json({path!r})",
    "pymupdf": "import fitz; d = fitz.open({path!r}); ''.join(p.get_text() for p in d)",
}


def peak_memory(peer, path, opts):
    """Peak resident bytes of a fresh process extracting one file, or None."""
    if peer == "pdftotext":
        command = ["pdftotext", "-q", path, "/dev/null"]
    elif peer in MEMORY_SNIPPET:
        command = [sys.executable, "-c", MEMORY_SNIPPET[peer].format(module_dir=opts.module_dir, path=path)]
    else:
        return None
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(process.pid, 0)
    return usage.ru_maxrss * 1024


def words_of(text):
    return collections.Counter(text.split())


def scrivex_page_text(document_json):
    """The text of every block: a text block's text, a table's cells."""
    document = json.loads(document_json)
    parts = []
    for page in document.get("pages", []):
        for block in page.get("blocks", []):
            if block.get("type") == "text":
                parts.append(block.get("text", ""))
            elif block.get("type") == "table":
                parts.extend(cell.get("text", "") for cell in block.get("cells", []))
    return "\n".join(parts)


def text_check(files, opts):
    """Word-level recall and precision of scrivex against pdftotext, micro-averaged."""
    sys.path.insert(0, opts.module_dir)
    import _scrivex

    common = ours_total = theirs_total = 0
    per_file = []
    for path in files:
        try:
            ours = words_of(scrivex_page_text(_scrivex.load_path_json(path)))
        except Exception:
            continue
        done = subprocess.run(["pdftotext", "-q", path, "-"], stdout=subprocess.PIPE, check=False)
        if done.returncode != 0:
            continue
        theirs = words_of(done.stdout.decode("utf-8", "replace"))
        shared = sum((ours & theirs).values())
        n_ours, n_theirs = sum(ours.values()), sum(theirs.values())
        common += shared
        ours_total += n_ours
        theirs_total += n_theirs
        if n_theirs:
            per_file.append((shared / n_theirs, shared / n_ours if n_ours else 0.0, path))
    recall = common / theirs_total if theirs_total else 0.0
    precision = common / ours_total if ours_total else 0.0
    return recall, precision, sorted(per_file)[:5]


def fmt_rate(value):
    return f"{value:10.1f}" if value is not None else f"{'-':>10}"


def report(files, pages, sizes, single, multi, memory, opts, cores):
    total_pages = sum(pages.values())
    total_mb = sum(sizes.values()) / MB
    print(f"corpus: {len(files)} PDFs, {total_pages} pages, {total_mb:.1f} MB; best of {opts.rounds} rounds")
    print()
    header = (f"{'peer':10} {'pages/s 1c':>10} {'MB/s 1c':>10} {'wall 1c':>10} {'pages/s Nc':>10} "
              f"{'MB/s Nc':>10} {'Nc/1c':>6} {'x scrivex':>9} {'peak MB':>8} {'fails':>5}")
    print(header)
    print("-" * len(header))
    rates = {}
    for peer in opts.peers:
        result = single[peer]
        if "missing" in result:
            package = PACKAGES.get(peer, "")
            print(f"{peer:10} MISSING: {result['missing']} (install {package})")
            continue
        seconds = sum(result["best_cpu"].values())
        wall_seconds = sum(result["best"].values())
        rate = total_pages / seconds if seconds else None
        mb_rate = total_mb / seconds if seconds else None
        wall_rate = total_pages / wall_seconds if wall_seconds else None
        wall = multi.get(peer, {}).get("wall")
        multi_rate = total_pages / wall if wall else None
        multi_mb = total_mb / wall if wall else None
        rates[peer] = rate
        scale = f"{multi_rate / wall_rate:6.2f}" if multi_rate and wall_rate else f"{'-':>6}"
        peak = memory.get(peer)
        peak_text = f"{peak / MB:8.1f}" if peak else f"{'-':>8}"
        ratio = ""
        if peer != "scrivex" and rates.get("scrivex") and rate:
            ratio = f"{rates['scrivex'] / rate:9.2f}"
        print(f"{peer:10} {fmt_rate(rate)} {fmt_rate(mb_rate)} {fmt_rate(wall_rate)} {fmt_rate(multi_rate)} "
              f"{fmt_rate(multi_mb)} "
              f"{scale} {ratio:>9} {peak_text} {len(result['failures']):5}")
    print()
    print("'1c' rates use CPU seconds (process time; pdftotext's child time), robust when the machine is")
    print("shared; 'wall 1c' is the same run by the clock. 'x scrivex' is scrivex's 1c rate over the peer's.")
    print(f"'Nc' is {cores} cores by the clock; 'Nc/1c' compares the two wall rates;")
    print("'peak MB' is the highest peak resident size of one file's process.")
    for peer in opts.peers:
        failures = single[peer].get("failures", {})
        for path, why in sorted(failures.items()):
            print(f"  failure {peer}: {os.path.relpath(path, opts.corpus)}: {why}")
    return rates


def per_file_checks(files, pages, sizes, single, multi, memory_files, opts):
    ours = single.get("scrivex", {}).get("best_cpu", {})
    theirs = single.get("pdftotext", {}).get("best_cpu", {})
    slower = [(ours[p] / theirs[p], p) for p in files if p in ours and p in theirs and ours[p] > theirs[p]]
    print()
    if theirs and ours:
        print(f"files where scrivex takes more CPU time than pdftotext: {len(slower)}")
        for ratio, path in sorted(slower, reverse=True)[:10]:
            print(f"  {ratio:5.2f}x  {os.path.relpath(path, opts.corpus)} "
                  f"({pages[path]} pages, {sizes[path] / MB:.2f} MB, {ours[path] * 1000:.1f} ms vs "
                  f"{theirs[path] * 1000:.1f} ms CPU)")
    ours_wall = single.get("scrivex", {}).get("best", {})
    multi_ours = multi.get("scrivex", {}).get("best", {})
    multipage = [p for p in files if pages[p] >= opts.multipage and p in ours_wall and p in multi_ours]
    if multipage:
        one = sum(ours_wall[p] for p in multipage)
        many = sum(multi_ours[p] for p in multipage)
        n_pages = sum(pages[p] for p in multipage)
        print(f"scrivex on files of {opts.multipage}+ pages ({len(multipage)} files, {n_pages} pages), by the "
              f"clock: {n_pages / one:.1f} pages/s on 1 core, {n_pages / many:.1f} on all, x{one / many:.2f}")
    if memory_files:
        print("scrivex peak memory against 3 x file size + 50 MB:")
        over = 0
        worst = None
        for path, peak in memory_files.items():
            limit = 3 * sizes[path] + 50 * MB
            if peak > limit:
                over += 1
            share = peak / limit
            if worst is None or share > worst[0]:
                worst = (share, path, peak, limit)
        print(f"  {over} of {len(memory_files)} files over the limit; highest: "
              f"{os.path.relpath(worst[1], opts.corpus)} {worst[2] / MB:.1f} MB of {worst[3] / MB:.1f} MB allowed")


def driver(opts):
    files = corpus_files(opts.corpus)
    if not files:
        sys.exit(f"no PDFs under {opts.corpus}; run bench/corpus.sh first")
    cores = len(os.sched_getaffinity(0))
    sizes = {path: os.path.getsize(path) for path in files}
    pages = {path: page_count(path) for path in files}
    single, multi, memory = {}, {}, {}
    for peer in opts.peers:
        print(f"timing {peer} on one core ...", file=sys.stderr, flush=True)
        single[peer] = single_core(peer, files, opts)
        if "missing" in single[peer]:
            continue
        if cores > 1 and not opts.single_only and peer not in opts.single_only_peers:
            print(f"timing {peer} on {cores} cores ...", file=sys.stderr, flush=True)
            multi[peer] = all_cores(peer, files, opts, cores)
    memory_files = {}
    if not opts.skip_memory:
        for peer in ("scrivex", "pymupdf", "pdftotext"):
            if peer not in opts.peers or "missing" in single.get(peer, {"missing": 1}):
                continue
            print(f"measuring peak memory of {peer} ...", file=sys.stderr, flush=True)
            # Every file for scrivex; the largest files for the peers, where their peaks are.
            sample = files if peer == "scrivex" else sorted(files, key=os.path.getsize)[-opts.memory_files:]
            peaks = {path: peak_memory(peer, path, opts) for path in sample}
            memory[peer] = max(peaks.values())
            if peer == "scrivex":
                memory_files = peaks
    if opts.save:
        with open(opts.save, "w") as out:
            json.dump({"single": single, "multi": multi, "memory": memory, "pages": pages}, out)
    report(files, pages, sizes, single, multi, memory, opts, cores)
    per_file_checks(files, pages, sizes, single, multi, memory_files, opts)
    if "scrivex" in opts.peers and shutil.which("pdftotext") and not opts.skip_text:
        recall, precision, worst = text_check(files, opts)
        print(f"word recall of scrivex against pdftotext: {recall:.3f}, precision: {precision:.3f}")
        for file_recall, file_precision, path in worst:
            print(f"  lowest recall: {file_recall:.3f} (precision {file_precision:.3f}) "
                  f"{os.path.relpath(path, opts.corpus)}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", default="/work/corpus")
    parser.add_argument("--module-dir", default=os.path.join(here, "..", "build-rel", "python"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--peers", default=",".join(PEERS))
    parser.add_argument("--pdfminer-rounds", type=int, default=1)
    parser.add_argument("--time-limit", type=float, default=20.0, help="pdfminer seconds per file")
    parser.add_argument("--multipage", type=int, default=8, help="pages of a multi-page file")
    parser.add_argument("--single-only", action="store_true")
    parser.add_argument("--single-only-peers", default="pdfminer",
                        help="peers timed on one core only (pdfminer takes too long for both)")
    parser.add_argument("--memory-files", type=int, default=40, help="largest files whose peers' memory is read")
    parser.add_argument("--save", help="also write the raw timings to this JSON file")
    parser.add_argument("--skip-memory", action="store_true")
    parser.add_argument("--skip-text", action="store_true")
    parser.add_argument("--worker", help=argparse.SUPPRESS)
    parser.add_argument("--files", help=argparse.SUPPRESS)
    opts = parser.parse_args()
    opts.module_dir = os.path.abspath(opts.module_dir)
    if opts.worker:
        opts.peer = opts.worker
        worker(opts)
        return
    opts.peers = [peer for peer in opts.peers.split(",") if peer]
    opts.single_only_peers = [peer for peer in opts.single_only_peers.split(",") if peer]
    unknown = set(opts.peers) - set(PEERS)
    if unknown:
        sys.exit(f"unknown peers: {', '.join(sorted(unknown))}")
    driver(opts)


if __name__ == "__main__":
    main()
