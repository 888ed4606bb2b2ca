#!/usr/bin/env python3
"""Turns the measurements of scripts/bench into tables and a chart.

Reads from OUTDIR whatever the run produced:
  inprocess.json  Google Benchmark JSON of zorvik_bench_inprocess
  render-K.json   hyperfine, round K: one symbol per process, zorvik render against zint
  batch-K.json    hyperfine, round K: zorvik batch against zint --batch (when batch exists)
  jobs-K.json     hyperfine, round K: zorvik batch with one job against two
  memory.csv      tool,records,max_rss_kib,seconds from /usr/bin/time -v
  startup.csv     run,step,us: the steps of one render timed in fresh processes
Writes OUTDIR/inprocess.csv, OUTDIR/length.csv, OUTDIR/threads.csv and
OUTDIR/summary.md, prints the summary, and with --svg draws the scaling curves.
Ratios are Zorvik's time over the peer's: below 1 Zorvik is faster.
Standard library only.
"""

import argparse
import csv
import json
import math
import os
import sys
from datetime import datetime, timezone

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
SYMBOLS = ["Code128", "EAN13", "Code39", "ITF"]
# The page count of the one-PDF batch (scripts/bench).
PDF_PAGES = int(os.environ.get("BENCH_PDF_PAGES", "10000"))
SYMBOL_TITLES = {
    "Code128": 'Code 128 "abcDEF12345"',
    "EAN13": "EAN-13 590123412345",
    "Code39": 'Code 39 "ZORVIK-39"',
    "ITF": "Interleaved 2 of 5 1234567890",
}


def load_json(path):
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        return json.load(f)


# ---------------------------------------------------------------- in process


def benchmark_runs(doc):
    """name -> run: the median of the repetitions when there are some."""
    runs, medians = {}, {}
    for b in doc.get("benchmarks", []):
        name = b.get("run_name", b["name"])
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians[name] = b
        elif name not in runs:
            runs[name] = b
    runs.update(medians)
    return runs


def ns_of(run, field="cpu_time"):
    if run is None or run.get("error_occurred"):
        return None
    return run[field] * UNIT_NS[run.get("time_unit", "ns")]


def ratio(a, b):
    return a / b if a is not None and b else None


def fmt_us(ns, digits=1):
    return "n/a" if ns is None else f"{ns / 1e3:,.{digits}f}"


def fmt_ms(seconds, digits=2):
    return "n/a" if seconds is None else f"{seconds * 1e3:,.{digits}f}"


def fmt_ratio(r):
    return "n/a" if r is None else f"{r:.2f}"


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def in_process(doc, outdir):
    runs = benchmark_runs(doc)
    get = lambda *parts: runs.get("/".join(parts))
    out = []
    context = doc.get("context", {})
    out.append(
        f"Google Benchmark on {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
        f"median CPU time of the repetitions, in µs per symbol. Modules 2 px, bars 100 px, 10-module quiet zones."
    )

    rows, csv_rows = [], []
    for sym in SYMBOLS:
        zt, it = ns_of(get("symbol", sym, "text", "zorvik")), ns_of(get("symbol", sym, "text", "zint"))
        zn, inn = ns_of(get("symbol", sym, "notext", "zorvik")), ns_of(get("symbol", sym, "notext", "zint"))
        xn = ns_of(get("symbol", sym, "notext", "zxing"))
        rows.append([SYMBOL_TITLES[sym], fmt_us(zt), fmt_us(it), fmt_ratio(ratio(zt, it)), fmt_us(zn), fmt_us(inn),
                     fmt_ratio(ratio(zn, inn)), fmt_us(xn), fmt_ratio(ratio(zn, xn))])
        for text, lib, ns in [("text", "zorvik", zt), ("text", "zint", it), ("notext", "zorvik", zn),
                              ("notext", "zint", inn), ("notext", "zxing", xn)]:
            csv_rows.append(["symbol", sym, text, lib, "" if ns is None else f"{ns:.1f}"])
    out.append("\n### Symbol to bitmap, in process\n")
    out.append(table(["symbol", "Zorvik, text", "libzint, text", "ratio", "Zorvik, no text", "libzint, no text",
                      "ratio", "zxing, no text", "ratio to zxing"], rows))

    rows = []
    for sym in SYMBOLS:
        direct = ns_of(get("symbol", sym, "text", "zorvik"))
        rec = ns_of(get("record", sym, "text", "zorvik"))
        zp, ip = ns_of(get("png", sym, "text", "zorvik")), ns_of(get("png", sym, "text", "zint"))
        only = ns_of(get("pngonly", sym, "text", "zorvik"))
        enc = ns_of(get("pngenc", sym, "text", "zorvik"))
        rows.append([SYMBOL_TITLES[sym], fmt_us(direct), fmt_us(rec), fmt_us(enc), fmt_us(only), fmt_us(zp),
                     fmt_us(ip), fmt_ratio(ratio(zp, ip))])
        for group, lib, ns in [("record", "zorvik", rec), ("png", "zorvik", zp), ("png", "zint", ip),
                               ("pngonly", "zorvik", only), ("pngenc", "zorvik", enc)]:
            csv_rows.append([group, sym, "text", lib, "" if ns is None else f"{ns:.1f}"])
    out.append("\n### With text, as the command draws it and to a PNG file, in process (µs)\n")
    out.append(table(["symbol", "Zorvik direct", "Zorvik recorded + replayed", "Zorvik PNG encoding, no file",
                      "Zorvik PNG writing alone", "Zorvik render + PNG", "libzint render + PNG", "ratio"], rows))
    write_csv(os.path.join(outdir, "inprocess.csv"), ["group", "symbol", "text", "library", "cpu_ns"], csv_rows)

    # Time against caption length.
    lengths = sorted({int(n.rsplit("/", 1)[1]) for n in runs if n.startswith("length/")})
    rows, csv_rows = [], []
    for n in lengths:
        z = ns_of(get("length", "Code128", "text", "zorvik", str(n)))
        i = ns_of(get("length", "Code128", "text", "zint", str(n)))
        rows.append([n, fmt_us(z), fmt_us(None if z is None else z / n, 2), fmt_us(i),
                     fmt_us(None if i is None else i / n, 2), fmt_ratio(ratio(z, i))])
        csv_rows.append([n, "" if z is None else f"{z:.1f}", "" if i is None else f"{i:.1f}"])
    if rows:
        out.append("\n### Code 128 with text against caption length, in process (µs)\n")
        out.append(table(["characters", "Zorvik", "Zorvik per character", "libzint", "libzint per character",
                          "ratio"], rows))
        out.append("\nlibzint refuses Code 128 beyond 60 symbol characters; zxing's writer beyond 80.")
    write_csv(os.path.join(outdir, "length.csv"), ["characters", "zorvik_ns", "zint_ns"], csv_rows)

    # One thread against two.
    rows, csv_rows = [], []
    for lib in ["zorvik", "zint"]:
        rate = {}
        for t in (1, 2):
            r = runs.get(f"threads/Code128/text/{lib}/real_time/threads:{t}")
            rate[t] = None if r is None or r.get("error_occurred") else r.get("items_per_second")
        speedup = ratio(rate[2], rate[1])
        rows.append([lib, "n/a" if rate[1] is None else f"{rate[1]:,.0f}",
                     "n/a" if rate[2] is None else f"{rate[2]:,.0f}", fmt_ratio(speedup)])
        csv_rows.append([lib, rate[1] or "", rate[2] or ""])
    out.append("\n### One thread against two, in process (Code 128 with text, symbols per second, wall clock)\n")
    out.append(table(["library", "1 thread", "2 threads", "speed-up"], rows))
    write_csv(os.path.join(outdir, "threads.csv"), ["library", "threads1_per_s", "threads2_per_s"], csv_rows)
    return "\n".join(out)


# ---------------------------------------------------------------- processes


def load_rounds(outdir, name):
    """The hyperfine rounds NAME-1.json, NAME-2.json, ... merged: command ->
    its times of all rounds, with mean user and system times."""
    merged = {}
    k = 1
    while True:
        doc = load_json(os.path.join(outdir, f"{name}-{k}.json"))
        if doc is None:
            break
        for r in doc.get("results", []):
            m = merged.setdefault(r["command"], {"times": [], "user": [], "system": []})
            m["times"] += r["times"]
            m["user"] += [r["user"]] * len(r["times"])
            m["system"] += [r["system"]] * len(r["times"])
        k += 1
    if not merged:
        return None
    out = {}
    for command, m in merged.items():
        t = m["times"]
        mean = sum(t) / len(t)
        sd = (sum((x - mean) ** 2 for x in t) / (len(t) - 1)) ** 0.5 if len(t) > 1 else 0.0
        out[command] = {"times": t, "median": median(t), "mean": mean, "stddev": sd, "min": min(t),
                        "user": sum(m["user"]) / len(t), "system": sum(m["system"]) / len(t), "rounds": k - 1}
    return out


def process_table(res, title, zorvik_name, peer_name):
    z, p = res.get(zorvik_name), res.get(peer_name)
    rows = [[name, fmt_ms(r["median"]), fmt_ms(r["min"]), fmt_ms(r["mean"]), fmt_ms(r["stddev"]), fmt_ms(r["user"]),
             fmt_ms(r["system"]), f'{len(r["times"])} in {r["rounds"]} rounds'] for name, r in res.items()]
    zr = None if z is None or p is None else z["median"] / p["median"]
    return (f"\n### {title}\n\n" +
            table(["command", "median (ms)", "fastest (ms)", "mean (ms)", "σ (ms)", "user (ms)", "system (ms)", "runs"],
                  rows) +
            f"\n\nRatio of medians, {zorvik_name} / {peer_name}: **{fmt_ratio(zr)}**")


def startup_section(path):
    rows = read_rows(path)
    if not rows:
        return ""
    steps, values = [], {}
    for r in rows:
        if r["step"] not in values:
            steps.append(r["step"])
            values[r["step"]] = []
        values[r["step"]].append(float(r["us"]))
    runs = len({r["run"] for r in rows})
    body, checks = [], []
    for step in steps:
        if "same pixels" in step:
            checks.append(f"{step}: {'yes' if min(values[step]) == 1 else 'NO'}")
            continue
        body.append([step, f"{median(values[step]):,.0f}", f"{min(values[step]):,.0f}"])
    text = (f"\n### The steps of one render, in a fresh process (median of {runs} processes, µs)\n\n" +
            table(["step", "median", "fastest"], body))
    if checks:
        text += "\n\n" + "; ".join(checks) + "."
    return text


def median(values):
    v = sorted(values)
    n = len(v)
    return v[n // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) / 2


def memory_section(path):
    if not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    counts = sorted({int(r["records"]) for r in rows})
    tools = sorted({r["tool"] for r in rows})
    body = []
    for n in counts:
        line = [f"{n:,}"]
        for t in tools:
            r = next((r for r in rows if r["tool"] == t and int(r["records"]) == n), None)
            line.append("n/a" if r is None else f"{int(r['max_rss_kib']) / 1024:,.1f} MiB in {float(r['seconds']):.2f} s")
        body.append(line)
    return "\n### Batch peak memory against record count (maximum resident set size)\n\n" + table(
        ["records"] + tools, body)


def files_section(path):
    """The kernel's floor: bench/files.cpp's lines way, files, wall ms, cpu ms."""
    if not os.path.exists(path):
        return ""
    ways = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 4:
                w = ways.setdefault(parts[0], {"files": int(parts[1]), "wall": [], "cpu": []})
                w["wall"].append(float(parts[2]))
                w["cpu"].append(float(parts[3]))
    if not ways:
        return ""
    plain = ways.get("plain")
    rows = []
    for name, w in ways.items():
        rows.append([name, f'{w["files"]:,}', f'{median(w["wall"]):,.0f}', f'{median(w["cpu"]):,.0f}',
                     fmt_ratio(ratio(median(w["cpu"]), median(plain["cpu"])) if plain else None),
                     len(w["wall"])])
    return ("\n### Creating files and nothing else (bench/files.cpp, in the batch's folder kind)\n\n" +
            table(["way", "files", "median wall (ms)", "median CPU (ms)", "CPU / plain", "rounds"], rows) +
            "\n\nplain: open with O_CREAT, one write, close (what zint does); rename: a hidden name renamed when "
            "complete; tmpfile: O_TMPFILE, one write, linkat.")


def pdf_section(outdir):
    res = load_rounds(outdir, "pdf")
    if res is None:
        return ""
    (name, r), = res.items()
    pages = PDF_PAGES
    text = (f"\n### One PDF of {pages:,} pages (zorvik batch, {len(r['times'])} runs)\n\n" +
            table(["median (s)", "fastest (s)", "pages per second", "user (s)", "system (s)"],
                  [[f'{r["median"]:.2f}', f'{r["min"]:.2f}', f'{pages / r["median"]:,.0f}', f'{r["user"]:.2f}',
                    f'{r["system"]:.2f}']]))
    shares = os.path.join(outdir, "pdf-dso.txt")
    if os.path.exists(shares):
        rows = []
        with open(shares, encoding="utf-8") as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 2 and parts[0].endswith("%"):
                    rows.append([parts[1], parts[0]])
        if rows:
            text += ("\n\nWhere its CPU time goes (perf record, cpu-clock samples, by shared object):\n\n" +
                     table(["object", "share"], rows[:8]))
    return text


def widget_section(path):
    rows = read_tabbed(path)
    if not rows:
        return ""
    paint, raster = rows.get("widget paint"), rows.get("raster render")
    r = ratio(float(paint), float(raster)) if paint and raster else None
    return ("\n### The Qt widget's paint (Code 128 with text, offscreen platform, µs per paint)\n\n" +
            table(["widget repaint", "raster render alone", "ratio", "size"],
                  [[paint or "n/a", raster or "n/a", fmt_ratio(r), rows.get("size", "")]]))


def read_tabbed(path):
    if not os.path.exists(path):
        return {}
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "\t" in line:
                k, v = line.rstrip("\n").split("\t", 1)
                out[k] = v
    return out


def targets_section(doc, render, batch):
    """Every target ratio of this run, in one table."""
    rows = []
    if doc is not None:
        runs = benchmark_runs(doc)
        get = lambda *parts: ns_of(runs.get("/".join(parts)))

        def spread(group, text, target):
            rs = [ratio(get(group, s, text, "zorvik"), get(group, s, text, "zint")) for s in SYMBOLS]
            rs = [x for x in rs if x is not None]
            if not rs:
                return None
            return f"{min(rs):.2f}–{max(rs):.2f} ×", "yes" if max(rs) <= target else "no"

        for title, group, text, target in [("in process, symbol with text to a bitmap", "symbol", "text", 0.5),
                                           ("in process, without text", "symbol", "notext", 0.7),
                                           ("in process, render and PNG file", "png", "text", 0.5)]:
            got = spread(group, text, target)
            if got:
                rows.append([title, f"≤ {target} × libzint", got[0], got[1]])
    for title, res, z, p, target in [("one symbol per process", render, "zorvik render", "zint", 1.0),
                                     ("batch of 3,000 PNG files", batch, "zorvik batch", "zint --batch", 0.5)]:
        if res and z in res and p in res:
            x = res[z]["median"] / res[p]["median"]
            rows.append([title, f"≤ {target} × {p}", f"{x:.2f} ×", "yes" if x <= target else "no"])
    if not rows:
        return ""
    return "\n### Against the targets (ratios of medians of this run)\n\n" + table(
        ["measure", "target", "this run", "met"], rows)


# ---------------------------------------------------------------- chart


def svg_chart(outdir, path):
    """Three panels: time against caption length, peak memory against record
    count, and throughput with one thread and with two."""
    series_len = read_rows(os.path.join(outdir, "length.csv"))
    series_mem = read_rows(os.path.join(outdir, "memory.csv"))
    series_thr = read_rows(os.path.join(outdir, "threads.csv"))
    jobs = load_rounds(outdir, "jobs")

    W, H, PW, PH = 1150, 380, 290, 250
    colours = {"zorvik": "#1f5fbf", "zint": "#d0661b", "zorvik batch": "#1f5fbf", "zint --batch": "#d0661b"}
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}" '
             'font-family="Liberation Sans, Arial, sans-serif" font-size="12">',
             f'<rect width="{W}" height="{H}" fill="white"/>']

    def panel(ox, title, xlabel, ylabel, lines, logx=False, logy=False, bars=None, reference=None):
        x0, y0 = ox + 70, 50
        parts.append(f'<text x="{x0 + PW / 2}" y="24" text-anchor="middle" font-size="14" '
                     f'font-weight="bold">{esc(title)}</text>')
        parts.append(f'<rect x="{x0}" y="{y0}" width="{PW}" height="{PH}" fill="none" stroke="#444"/>')
        parts.append(f'<text x="{x0 + PW / 2}" y="{y0 + PH + 40}" text-anchor="middle">{esc(xlabel)}</text>')
        parts.append(f'<text transform="translate({ox + 16},{y0 + PH / 2}) rotate(-90)" '
                     f'text-anchor="middle">{esc(ylabel)}</text>')
        if bars is not None:
            draw_bars(x0, y0, bars)
            return
        points = [(x, y) for _, pts in lines for x, y in pts if x > 0 and y > 0]
        if not points:
            parts.append(f'<text x="{x0 + PW / 2}" y="{y0 + PH / 2}" text-anchor="middle" fill="#888">'
                         'not measured in this run</text>')
            return
        fx = math.log10 if logx else (lambda v: v)
        fy = math.log10 if logy else (lambda v: v)
        xs = [x for x, _ in points]
        ys = [y for _, y in points]
        if logx:
            xlo, xhi = math.log10(min(xs)) - 0.1, math.log10(max(xs)) + 0.1
        else:
            xlo, xhi = 0, nice(max(xs))
        if logy:
            yticks = [10 ** k for k in range(math.floor(math.log10(min(ys))), math.ceil(math.log10(max(ys))) + 1)]
            ylo, yhi = math.log10(yticks[0]), math.log10(yticks[-1])
        else:
            top = nice(max(ys))
            yticks = [top * k / 5 for k in range(6)]
            ylo, yhi = 0, top
        sx = lambda v: x0 + (fx(v) - xlo) / ((xhi - xlo) or 1) * PW
        sy = lambda v: y0 + PH - (fy(v) - ylo) / ((yhi - ylo) or 1) * PH
        for v in yticks:
            parts.append(f'<line x1="{x0}" x2="{x0 + PW}" y1="{sy(v):.1f}" y2="{sy(v):.1f}" stroke="#ddd"/>')
            parts.append(f'<text x="{x0 - 6}" y="{sy(v) + 4:.1f}" text-anchor="end">{v:,g}</text>')
        xticks = sorted(set(xs)) if logx else [xhi * k / 5 for k in range(6)]
        for t in xticks:
            parts.append(f'<line x1="{sx(t):.1f}" x2="{sx(t):.1f}" y1="{y0 + PH}" y2="{y0 + PH + 4}" stroke="#444"/>')
            parts.append(f'<text x="{sx(t):.1f}" y="{y0 + PH + 16}" text-anchor="middle" font-size="10">'
                         f'{t:,.0f}</text>')
        if reference is not None:
            # A line of slope one through a measured point: what linear time looks like.
            rx, ry = reference
            lo, hi = min(xs), max(xs)
            parts.append(f'<line x1="{sx(lo):.1f}" y1="{sy(ry * lo / rx):.1f}" x2="{sx(hi):.1f}" '
                         f'y2="{sy(ry * hi / rx):.1f}" stroke="#888" stroke-dasharray="4 3"/>')
            lines = lines + [("proportional to length", [])]
        for i, (name, pts) in enumerate(lines):
            c = colours.get(name, "#888")
            if pts:
                path = " ".join(f"{sx(x):.1f},{sy(y):.1f}" for x, y in pts)
                parts.append(f'<polyline points="{path}" fill="none" stroke="{c}" stroke-width="2"/>')
                for x, y in pts:
                    parts.append(f'<circle cx="{sx(x):.1f}" cy="{sy(y):.1f}" r="3" fill="{c}"/>')
            dash = "" if pts else ' stroke-dasharray="4 3"'
            parts.append(f'<line x1="{x0 + 10}" x2="{x0 + 24}" y1="{y0 + 12 + 16 * i}" y2="{y0 + 12 + 16 * i}" '
                         f'stroke="{c}" stroke-width="2"{dash}/>')
            parts.append(f'<text x="{x0 + 30}" y="{y0 + 16 + 16 * i}">{esc(name)}</text>')

    def draw_bars(x0, y0, bars):
        if not bars:
            parts.append(f'<text x="{x0 + PW / 2}" y="{y0 + PH / 2}" text-anchor="middle" fill="#888">'
                         'not measured in this run</text>')
            return
        ymax = nice(max(v for _, _, v in bars))
        bw = PW / (len(bars) * 1.5 + 0.5)
        for k in range(6):
            v = ymax * k / 5
            y = y0 + PH - v / ymax * PH
            parts.append(f'<line x1="{x0}" x2="{x0 + PW}" y1="{y:.1f}" y2="{y:.1f}" stroke="#ddd"/>')
            parts.append(f'<text x="{x0 - 6}" y="{y + 4:.1f}" text-anchor="end">{v:g}</text>')
        for i, (label, name, v) in enumerate(bars):
            x = x0 + bw * (0.5 + 1.5 * i)
            h = v / ymax * PH
            parts.append(f'<rect x="{x:.1f}" y="{y0 + PH - h:.1f}" width="{bw:.1f}" height="{h:.1f}" '
                         f'fill="{colours.get(name, "#555")}" opacity="{1 if label.endswith("1") else 0.6}"/>')
            parts.append(f'<text x="{x + bw / 2:.1f}" y="{y0 + PH + 16}" text-anchor="middle" font-size="10">'
                         f'{esc(label)}</text>')
            parts.append(f'<text x="{x + bw / 2:.1f}" y="{y0 + PH - h - 4:.1f}" text-anchor="middle" '
                         f'font-size="10">{v:g}</text>')

    length_lines = [
        ("zorvik", [(int(r["characters"]), float(r["zorvik_ns"]) / 1e3) for r in series_len if r["zorvik_ns"]]),
        ("zint", [(int(r["characters"]), float(r["zint_ns"]) / 1e3) for r in series_len if r["zint_ns"]]),
    ]
    zorvik_pts = length_lines[0][1]
    reference = zorvik_pts[len(zorvik_pts) // 2] if zorvik_pts else None
    panel(0, "Time against caption length", "Code 128 characters (log scale)", "µs per symbol, in process (log scale)",
          length_lines, logx=True, logy=True, reference=reference)

    mem_lines = []
    for tool in sorted({r["tool"] for r in series_mem}):
        pts = sorted((int(r["records"]), int(r["max_rss_kib"]) / 1024) for r in series_mem if r["tool"] == tool)
        mem_lines.append((tool, pts))
    panel(380, "Batch peak memory", "records (log scale)", "MiB maximum resident", mem_lines, logx=True)

    bars = []
    for r in series_thr:
        for t in (1, 2):
            v = r.get(f"threads{t}_per_s")
            if v:
                bars.append((f"{r['library']} ×{t}", r["library"], round(float(v) / 1e3, 1)))
    if jobs:
        for t in (1, 2):
            r = jobs.get(f"zorvik batch --jobs {t}")
            if r:
                bars.append((f"batch ×{t}", "zorvik batch", round(3000 / r["median"] / 1e3, 2)))
    panel(760, "One thread against two", "library × threads", "thousand symbols per second", [], bars=bars)

    parts.append("</svg>")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(parts) + "\n")


def nice(v):
    """The next round number at or above v, for an axis."""
    if v <= 0:
        return 1
    e = 10 ** math.floor(math.log10(v))
    for m in (1, 2, 2.5, 5, 10):
        if v <= m * e:
            return m * e
    return 10 * e


def esc(s):
    return str(s).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def read_rows(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return list(csv.DictReader(f))


def write_csv(path, header, rows):
    with open(path, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f)
        w.writerow(header)
        w.writerows(rows)


# ---------------------------------------------------------------- main


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("outdir")
    ap.add_argument("--svg", help="write the scaling chart here")
    ap.add_argument("--batch-note", default="", help="why the batch figures are missing, when they are")
    args = ap.parse_args()

    stamp = datetime.now(timezone.utc).astimezone().strftime("%Y-%m-%d %H:%M %Z")
    sections = [f"## Figures of {stamp}"]
    doc = load_json(os.path.join(args.outdir, "inprocess.json"))
    if doc is not None:
        sections.append(in_process(doc, args.outdir))
    render = load_rounds(args.outdir, "render")
    if render is not None:
        sections.append(process_table(render, "One symbol per process (Code 128 with text to PNG)",
                                      "zorvik render", "zint"))
    sections.append(startup_section(os.path.join(args.outdir, "startup.csv")))
    batch = load_rounds(args.outdir, "batch")
    if batch is not None:
        sections.append(process_table(batch, "3,000 captions to PNG files, one process", "zorvik batch",
                                      "zint --batch"))
    jobs = load_rounds(args.outdir, "jobs")
    if jobs is not None:
        sections.append(process_table(jobs, "zorvik batch, one job against two (3,000 captions; the ratio is the "
                                      "speed-up)", "zorvik batch --jobs 1", "zorvik batch --jobs 2"))
    sections.append(memory_section(os.path.join(args.outdir, "memory.csv")))
    sections.append(files_section(os.path.join(args.outdir, "files.tsv")))
    sections.append(pdf_section(args.outdir))
    sections.append(widget_section(os.path.join(args.outdir, "widget.tsv")))
    sections.append(targets_section(doc, render, batch))
    if args.batch_note:
        sections.append("\n" + args.batch_note)
    summary = "\n".join(s for s in sections if s) + "\n"
    with open(os.path.join(args.outdir, "summary.md"), "w", encoding="utf-8") as f:
        f.write(summary)
    if args.svg:
        svg_chart(args.outdir, args.svg)
    sys.stdout.write(summary)


if __name__ == "__main__":
    main()
