#!/usr/bin/env python3
"""Runs every benchmark and writes docs/benchmarks.md.

    scripts/bench.sh           the full run (about three quarters of an hour)
    scripts/bench.sh --quick   a smoke run: small trees, one run each

Figures are medians; ratios compare methods measured in the same run, since
absolute times on shared machines are noisy.
"""
import datetime
import os
import platform
import statistics
import subprocess
import sys
import tempfile

import pefile

from tools.winesession import ROOT, WineSession

WIN = os.path.join(ROOT, "build", "windows")
HOST = os.path.join(ROOT, "build", "host-release")
SHAPES = ["wide", "deep", "bushy"]
METHODS = ["DeleteKeyTree", "RegDeleteTreeA", "reg delete"]


def log(message):
    print("bench: " + message, flush=True)


def host_scaling(sizes, runs):
    rows, calls = [], {}
    for shape in SHAPES:
        for keys in sizes:
            out = subprocess.run([os.path.join(HOST, "bench", "host_scaling"), shape, str(keys),
                                  str(runs)], capture_output=True, text=True, check=True).stdout
            for line in out.splitlines():
                fields = line.split()
                if fields[2] == "ns/key":
                    rows.append((shape, keys, float(fields[3])))
                else:
                    calls[(shape, keys)] = [float(f) for f in fields[3:]]
    return rows, calls


def wine_removal(session, sizes, runs_for):
    results = {}
    for keys in sizes:
        for shape in SHAPES:
            log("wine removal: %s tree of %d keys, %d runs" % (shape, keys, runs_for(keys)))
            out = session.tool(os.path.join("bench", "wine_removal.exe"), shape, str(keys),
                               str(runs_for(keys)), timeout=6 * 3600).decode()
            times = {}
            for line in out.splitlines():
                fields = line.split()
                method = " ".join(fields[2:-1])
                times.setdefault(method, []).append(float(fields[-1]))
            results[(shape, keys)] = {m: statistics.median(t) for m, t in times.items()}
    return results


def startup(session, runs):
    samples = {"uninst_tavro.exe": [], "minimal_dialog.exe": []}
    captions = {"uninst_tavro.exe": "Uninstaller for Quorvane",
                "minimal_dialog.exe": "Minimal dialog"}
    paths = {"uninst_tavro.exe": "uninst_tavro.exe",
             "minimal_dialog.exe": os.path.join("bench", "minimal_dialog.exe")}
    # Interleaved batches, so drift in the machine's load hits both alike.
    for _ in range(runs):
        for name in samples:
            program = "Z:" + os.path.join(WIN, paths[name]).replace("/", "\\")
            out = session.tool(os.path.join("bench", "startup_latency.exe"), program,
                               captions[name], "1").decode()
            samples[name].append(float(out.split()[0]))
    return {name: statistics.median(values) for name, values in samples.items()}


def registry_links():
    """Runs link_probe.exe in a throwaway prefix and puts its output, with what
    it shows, into the evidence block of docs/registry-links.md."""
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "prefix")
        subprocess.run([os.path.join(ROOT, "scripts", "wineprefix.sh"), prefix], check=True)
        session = WineSession(prefix, WIN)
        try:
            evidence = session.tool(os.path.join("bench", "link_probe.exe")).decode().rstrip()
        finally:
            session.close()
    before, after = evidence.split("after RunRemoval:", 1)
    outside = [line for line in before.splitlines()
               if line.strip().startswith("HKCU\\Software\\Outside")]
    kept = [line for line in outside if line in after.splitlines()]
    link_left = "Quorvane\\Shared" in after
    facts = [
        "%d of the %d lines of `HKCU\\Software\\Outside` (the link's target) are there after "
        "the removal." % (len(kept), len(outside)),
        "The link `Quorvane\\Shared` is %s, and `HKCU\\Software\\Morrowfen.` is %s." % (
            "still there" if link_left else "gone",
            "still there" if "HKCU\\Software\\Morrowfen." in after else "gone"),
    ]
    block = "\n".join(["<!-- probe -->", "Last run of `bench/link_probe.cpp` (%s): %s" % (
        datetime.date.today().isoformat(), " ".join(facts)), "", "```", evidence, "```",
        "<!-- /probe -->"])
    path = os.path.join(ROOT, "docs", "registry-links.md")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    start, end = text.find("<!-- probe -->"), text.find("<!-- /probe -->")
    if start < 0 or end < 0:
        raise SystemExit("bench: no <!-- probe --> block in " + path)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text[:start] + block + text[end + len("<!-- /probe -->"):])
    return len(kept) == len(outside)


def exe_facts(path):
    pe = pefile.PE(path)
    imports = sorted(entry.dll.decode() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    return os.path.getsize(path), imports


def fmt_time(seconds):
    return "%.1f ms" % (seconds * 1000) if seconds < 10 else "%.2f s" % seconds


def main():
    quick = "--quick" in sys.argv
    wine_sizes = [1000] if quick else [1000, 10000, 100000]
    host_sizes = [1000, 10000] if quick else [1000, 10000, 100000, 1000000]
    runs_for = (lambda keys: 1) if quick else (lambda keys: 5 if keys <= 1000 else 3)

    log("registry links")
    registry_links()

    log("host scaling")
    host_rows, calls = host_scaling(host_sizes, 1 if quick else 3)

    prefix = os.path.join(WIN, "bench-wineprefix")
    subprocess.run([os.path.join(ROOT, "scripts", "wineprefix.sh"), prefix], check=True)
    session = WineSession(prefix, WIN)
    try:
        log("start-up latency")
        latency = startup(session, 3 if quick else 15)
        wine = wine_removal(session, wine_sizes, runs_for)
    finally:
        session.close()

    size, imports = exe_facts(os.path.join(WIN, "uninst_tavro.exe"))
    min_size, _ = exe_facts(os.path.join(WIN, "bench", "minimal_dialog.exe"))
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), platform.processor())

    lines = [
        "# Benchmarks",
        "",
        "Reproduce with `scripts/bench.sh%s`. Measured %s on %s (%d cores), %s, Debian %s."
        % (" --quick" if quick else "", datetime.date.today().isoformat(), cpu, os.cpu_count(),
           wine_version, open("/etc/debian_version").read().strip()),
        "Times are medians; ratios compare methods measured in the same run.",
        "",
        "## Removal under Wine",
        "",
        "Each method removes an identical, freshly seeded tree below "
        "`HKCU\\Software\\TavroBench\\T` (one value per key). `DeleteKeyTree` is the program's "
        "own removal, `RegDeleteTreeA` is Wine's, `reg delete` is `reg.exe delete KEY /f` started "
        "as a process (its start-up included). Shapes: *wide* is one level of siblings, *deep* "
        "is chains of 512 keys (the depth Windows allows), *bushy* is a balanced tree with ten "
        "children per key. Ratio < 1 means faster than `RegDeleteTreeA`.",
        "",
        "| shape | keys | DeleteKeyTree | RegDeleteTreeA | reg delete | DeleteKeyTree / RegDeleteTreeA | reg delete / RegDeleteTreeA | DeleteKeyTree per key |",
        "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |",
    ]
    for keys in wine_sizes:
        for shape in SHAPES:
            t = wine[(shape, keys)]
            lines.append("| %s | %d | %s | %s | %s | %.2f | %.2f | %.0f µs |" % (
                shape, keys, fmt_time(t["DeleteKeyTree"]), fmt_time(t["RegDeleteTreeA"]),
                fmt_time(t["reg delete"]), t["DeleteKeyTree"] / t["RegDeleteTreeA"],
                t["reg delete"] / t["RegDeleteTreeA"], t["DeleteKeyTree"] / (keys + 1) * 1e6))
    lines += [
        "",
        "Registry calls per removed key made by `DeleteKeyTree` (counted on the host stand-in, "
        "which runs the same code; the top key included):",
        "",
        "| shape | keys | RegOpenKeyExA | RegEnumKeyExA | RegCloseKey | NtDeleteKey | total |",
        "| --- | ---: | ---: | ---: | ---: | ---: | ---: |",
    ]
    for (shape, keys), counts in sorted(calls.items(), key=lambda kv: (kv[0][1], SHAPES.index(kv[0][0]))):
        lines.append("| %s | %d | %s | %.2f |" % (shape, keys, " | ".join("%.3f" % c for c in counts),
                                                 sum(counts)))
    lines += [
        "",
        "## Host stand-in scaling",
        "",
        "`DeleteKeyTree` on the in-memory stand-in registry (optimised host build), time per "
        "removed key.",
        "",
        "| shape | keys | ns per key | relative to %dk |" % (host_sizes[0] // 1000),
        "| --- | ---: | ---: | ---: |",
    ]
    base = {shape: ns for shape, keys, ns in host_rows if keys == host_sizes[0]}
    for shape, keys, ns in host_rows:
        lines.append("| %s | %d | %.0f | %.2f |" % (shape, keys, ns, ns / base[shape]))
    growth = max(ns / base[shape] for shape, keys, ns in host_rows)
    lines += [
        "",
        "From %d to %d keys (%d times as many) the time per key grew at most %.2f-fold." % (
            host_sizes[0], host_sizes[-1], host_sizes[-1] // host_sizes[0], growth),
    ]
    lines += [
        "",
        "## The executable",
        "",
        "| | uninst_tavro.exe | minimal dialog program |",
        "| --- | ---: | ---: |",
        "| size | %d bytes | %d bytes |" % (size, min_size),
        "| start to visible dialog under Wine (median) | %s | %s |" % (
            fmt_time(latency["uninst_tavro.exe"]), fmt_time(latency["minimal_dialog.exe"])),
        "",
        "Start-up ratio (uninst_tavro / minimal): **%.2f**. Measured inside Wine by "
        "`startup_latency.exe` from `CreateProcess` to the dialog being visible, alternating "
        "the two programs; both are statically linked MinGW builds." % (
            latency["uninst_tavro.exe"] / latency["minimal_dialog.exe"]),
        "",
        "Imports of uninst_tavro.exe: %s." % ", ".join(imports),
        "",
    ]
    lines += ["See also [registry links inside the removed trees](registry-links.md).", ""]
    out = os.path.join(ROOT, "docs", "benchmarks%s.md" % ("-quick" if quick else ""))
    with open(out, "w") as f:
        f.write("\n".join(lines))
    log("wrote " + out)


if __name__ == "__main__":
    main()
