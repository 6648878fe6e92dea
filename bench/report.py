#!/usr/bin/env python3
"""Turns the JSON output of packet_bench and chamber_bench into the tables of BENCHMARKS.md.

Usage: report.py RESULT.json...   (runs made with --benchmark_repetitions=N
       --benchmark_report_aggregates_only=true --benchmark_out=RESULT.json)

Every figure is the median of the repetitions, in CPU time; cv is the coefficient of variation
of the repetitions, a measure of how much the machine disturbed them.
"""
import json
import sys

FRAME_US = 16_700.0
EVENT_TARGET_US = 167.0  # 1% of a frame
CREATE_TARGET_US = FRAME_US


def medians(paths):
    """The median row of every benchmark, in registration order, with the spread of its runs."""
    rows = {}
    spread = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            benchmarks = json.load(f)["benchmarks"]
        for bench in benchmarks:
            if bench.get("error_occurred"):
                continue
            if bench.get("aggregate_name") == "median":
                rows[bench["run_name"]] = bench
            elif bench.get("aggregate_name") == "cv":
                manual = bench["run_name"].endswith("/manual_time")
                spread[bench["run_name"]] = bench["real_time" if manual else "cpu_time"]
    for name, bench in rows.items():
        bench["cv"] = spread.get(name)
    return dict(sorted(rows.items(), key=lambda item: (item[1].get("family_index", 0),
                                                       item[1].get("per_family_instance_index", 0))))


def show_cv(bench):
    return "—" if bench is None or bench.get("cv") is None else f"{100 * bench['cv']:.0f} %"


def microseconds(bench):
    """CPU time, or the time a benchmark measured itself (manual time: the slowest of a run's frames)."""
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[bench["time_unit"]]
    manual = bench["run_name"].endswith("/manual_time")
    return (bench["real_time"] if manual else bench["cpu_time"]) * scale


def show_time(us):
    if round(us * 1000) < 1000:
        return f"{us * 1000:.0f} ns"
    return f"{us:.1f} µs" if round(us, 1) < 1000 else f"{us / 1000:.2f} ms"


def packet_table(rows):
    messages = sorted({name.split("/")[1] for name in rows if name.startswith(("Encode/", "Decode/"))},
                      key=lambda m: (not m.startswith("Vote"), not m.startswith("Job"), len(m), m))
    lines = ["| Message | Operation | CKParam | Protobuf | memcpy floor | CKParam / Protobuf "
             "| CKParam / floor | Protobuf / floor | allocs CKParam / Protobuf | cv CKParam / Protobuf |",
             "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for message in messages:
        floor = rows.get(f"Copy/{message}/memcpy")
        for op in ("Encode", "Decode"):
            ours = rows.get(f"{op}/{message}/CKParam")
            peer = rows.get(f"{op}/{message}/Protobuf")
            if ours is None:
                continue
            t_ours = microseconds(ours)
            t_peer = microseconds(peer) if peer else None
            t_floor = microseconds(floor) if floor else None
            cells = [message, op, show_time(t_ours),
                     show_time(t_peer) if peer else "—",
                     show_time(t_floor) if floor else "—",
                     f"{t_ours / t_peer:.2f}" if peer else "—",
                     f"{t_ours / t_floor:.0f}" if floor else "—",
                     f"{t_peer / t_floor:.0f}" if peer and floor else "—",
                     f"{ours.get('allocs', 0):.0f} / {peer.get('allocs', 0):.0f}" if peer else "—",
                     f"{show_cv(ours)} / {show_cv(peer)}"]
            lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def event_table(rows):
    lines = ["| Event | CPU time | Share of a 16.7 ms frame | Target | Met | allocs | cv |",
             "|---|---:|---:|---:|:-:|---:|---:|"]
    for name, bench in rows.items():
        if not name.startswith("Event/"):
            continue
        us = microseconds(bench)
        target = CREATE_TARGET_US if name == "Event/Create" else EVENT_TARGET_US
        label = name[len('Event/'):].replace("/manual_time", "")
        lines.append(f"| {label} | {show_time(us)} | {100 * us / FRAME_US:.2f} % "
                     f"| {show_time(target)} | {'yes' if us < target else 'no'} "
                     f"| {bench.get('allocs', 0):.0f} | {show_cv(bench)} |")
    return "\n".join(lines)


def main(paths):
    rows = medians(paths)
    if any(name.startswith(("Encode/", "Decode/")) for name in rows):
        print(packet_table(rows))
        print()
    if any(name.startswith("Event/") for name in rows):
        print(event_table(rows))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
