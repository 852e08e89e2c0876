#!/usr/bin/env python3
"""Runs the 22 TPC-H sentences and their yardsticks on every engine and prints, per engine and
query, whether the rows are right, the best time of several runs (the tables already in memory),
the ratio of brell's program to the yardstick, the peak memory of each, and the geometric means.

    run_tpch.py --brell build/brell --scale 0.1 [--engines duckdb,polars,pandas,spark]
                [--runs 5] [--budget 120] [--queries 1,5,9] [--json results.json]

Run by the engines' Python (tests/setup.sh prints it); the data is made on the first run (see
tpch_data.py). The yardsticks: DuckDB's official SQL on DuckDB and on Spark SQL, and the polars and
pandas programs of this folder. Each (query, program) runs in a process of its own, the tables
it reads loaded first (see measure.py for what is timed and how memory is measured); on Spark,
one session runs everything, and its memory is not measured. A first run longer than the budget
is stopped and reported as a timeout.
"""

import argparse
import functools
import json
import math
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from tpch_data import ensure_data  # noqa: E402
from tpch_engines import TARGETS  # noqa: E402
from tpch_programs import QUERIES, program, tables_read  # noqa: E402

print = functools.partial(print, flush=True)  # noqa: A001


def run_worker(engine, data_dir, jobs, runs, budget):
    """The worker's answers, one per job; a worker killed past its time answers timeouts."""
    text = "".join(json.dumps(job) + "\n" for job in jobs)
    # Loading the tables and the repeated runs come on top of the budget of the first run.
    limit = budget * 2 * len(jobs) + 300
    try:
        done = subprocess.run([sys.executable, str(HERE / "measure.py"), engine, str(data_dir),
                               str(runs), str(budget)], input=text, capture_output=True,
                              text=True, timeout=limit)
    except subprocess.TimeoutExpired:
        return [{"query": job["query"], "variant": job["variant"], "timeout": budget}
                for job in jobs]
    answers = [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]
    answered = {(answer["query"], answer["variant"]) for answer in answers}
    for job in jobs:
        if (job["query"], job["variant"]) not in answered:
            answers.append({"query": job["query"], "variant": job["variant"],
                            "problem": f"the worker died: {done.stderr.strip()[-800:]}"})
    return answers


def geometric_mean(values):
    values = [value for value in values if value and value > 0]
    return math.exp(sum(math.log(value) for value in values) / len(values)) if values else None


def shown_time(answer):
    if answer is None:
        return "-"
    if "timeout" in answer:
        return f"> {answer['timeout']:g} s"
    if "best" not in answer:
        return "failed"
    return f"{answer['best'] * 1000:.1f}"


def shown_rows(answer):
    if answer is None:
        return "-"
    if "timeout" in answer:
        return "timeout"
    return "right" if not answer.get("problem") else "WRONG"


def ratio(numerator, denominator):
    if not numerator or not denominator or "best" not in numerator or "best" not in denominator:
        return None
    return numerator["best"] / denominator["best"]


def cpu_ratio(numerator, denominator):
    if not numerator or not denominator or not numerator.get("best_cpu") \
            or not denominator.get("best_cpu"):
        return None
    return numerator["best_cpu"] / denominator["best_cpu"]


def memory_ratio(numerator, denominator):
    if not numerator or not denominator or numerator.get("peak_mib") is None \
            or denominator.get("peak_mib") is None or denominator["peak_mib"] < 1:
        return None
    return max(numerator["peak_mib"], 1) / denominator["peak_mib"]


def report(engine, numbers, answers):
    """The engine's table, in Markdown, and its summary line."""
    by_key = {(answer["query"], answer["variant"]): answer for answer in answers}
    targets = TARGETS[engine]
    lines = []
    header = ["query"]
    for target in targets:
        header += [f"rows {target}", f"{target} ms"]
    header += ["yardstick ms"] + [f"ratio {target}" for target in targets]
    header += [f"processor time ratio {target}" for target in targets]
    if engine != "spark":
        header += ["brell MiB", "yardstick MiB", "memory ratio"]
    lines.append("| " + " | ".join(header) + " |")
    lines.append("|" + "---|" * len(header))
    ratios = {target: [] for target in targets}
    cpu_ratios = {target: [] for target in targets}
    memory_ratios = []
    for number in numbers:
        yardstick = by_key.get((number, "yardstick"))
        cells = [f"Q{number}"]
        for target in targets:
            answer = by_key.get((number, target))
            cells += [shown_rows(answer), shown_time(answer)]
        cells.append(shown_time(yardstick))
        for target in targets:
            value = ratio(by_key.get((number, target)), yardstick)
            ratios[target].append(value)
            cells.append(f"{value:.2f}" if value else "-")
        for target in targets:
            value = cpu_ratio(by_key.get((number, target)), yardstick)
            cpu_ratios[target].append(value)
            cells.append(f"{value:.2f}" if value else "-")
        if engine != "spark":
            brell = by_key.get((number, targets[0]))
            peaks = [answer.get("peak_mib") if answer else None for answer in (brell, yardstick)]
            cells += [f"{peak:.0f}" if peak is not None else "-" for peak in peaks]
            value = memory_ratio(brell, yardstick)
            memory_ratios.append(value)
            cells.append(f"{value:.2f}" if value else "-")
        lines.append("| " + " | ".join(cells) + " |")
    summary = []
    for target in targets:
        mean = geometric_mean(ratios[target])
        right = sum(1 for number in numbers
                    if shown_rows(by_key.get((number, target))) == "right")
        worst = sorted(((value, number) for value, number in zip(ratios[target], numbers)
                        if value), reverse=True)[:4]
        line = f"{engine} --as {target}: {right}/{len(numbers)} right"
        if mean:
            line += f"; geometric mean of time ratios {mean:.2f}"
        summary.append(line)
        if geometric_mean(cpu_ratios[target]):
            summary[-1] += (f" (processor time {geometric_mean(cpu_ratios[target]):.2f})")
        if worst:
            summary[-1] += "; worst " + ", ".join(f"Q{number} {value:.2f}"
                                                  for value, number in worst)
    if engine != "spark" and geometric_mean(memory_ratios):
        summary.append(f"{engine}: geometric mean of peak memory ratios "
                       f"{geometric_mean(memory_ratios):.2f}")
    wrong_yardsticks = [
        number for number in numbers
        if shown_rows(by_key.get((number, "yardstick"))) not in ("right", "timeout")]
    if wrong_yardsticks:
        summary.append(f"{engine}: yardstick rows wrong for " +
                       ", ".join(f"Q{number}" for number in wrong_yardsticks))
    return lines, summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--brell", required=True)
    parser.add_argument("--scale", type=float, default=0.1)
    parser.add_argument("--engines", default="duckdb,polars,pandas")
    parser.add_argument("--queries", default=",".join(map(str, QUERIES)))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--budget", type=float, default=120)
    parser.add_argument("--json", help="also write every measurement to this file")
    options = parser.parse_args()
    numbers = [int(number) for number in options.queries.split(",")]
    data_dir = ensure_data(options.scale)
    print(f"TPC-H at scale factor {options.scale:g}, data in {data_dir}")
    everything = {}
    summaries = []
    for engine in options.engines.split(","):
        jobs = []
        for number in numbers:
            tables = tables_read(options.brell, number)
            for target in TARGETS[engine]:
                jobs.append({"query": number, "variant": target, "tables": tables,
                             "program": program(options.brell, number, target)})
            jobs.append({"query": number, "variant": "yardstick", "tables": tables,
                         "program": None})
        answers = []
        if engine == "spark":  # one session for everything
            answers = run_worker(engine, data_dir, jobs, options.runs, options.budget)
        else:
            for job in jobs:
                answers += run_worker(engine, data_dir, [job], options.runs, options.budget)
                last = answers[-1]
                shown = shown_time(last)
                print(f"  {engine} Q{job['query']} {job['variant']}: {shown}"
                      f"{' ms' if shown[0].isdigit() else ''}, "
                      f"{shown_rows(last)}" + (f" ({last['problem']})" if last.get("problem")
                                               else ""))
        everything[engine] = answers
        lines, summary = report(engine, numbers, answers)
        print(f"\n{engine}\n")
        print("\n".join(lines))
        print("\n" + "\n".join(summary) + "\n")
        summaries += summary
    print("\n".join(summaries))
    if options.json:
        pathlib.Path(options.json).write_text(json.dumps(everything, indent=1))


if __name__ == "__main__":
    main()
