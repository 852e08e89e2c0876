"""Runs TPC-H programs on one engine and measures them: the worker run_tpch.py starts.

It reads jobs as JSON lines on standard input ({"query": 5, "variant": "polars" or "yardstick",
"program": brell's program or null, "tables": [...]}) and answers each with a JSON line on
standard output: whether the rows are right (or what is wrong), the best time of several runs,
and the peak memory of the first run.

Time: the tables are loaded first (not timed); each run is timed from the call to a materialised
answer (DuckDB's rows fetched, a polars DataFrame collected, Spark's rows collected), in wall time
and in the processor time of the process (every thread's, user and system), which other work on a
shared machine disturbs far less. Runs repeat
until `runs` are done or the query has taken a third of its budget; a first run that passes the
budget is stopped (SIGALRM, which interrupts Python code; a long call into a library ends first)
and reported as a timeout.

Memory: the peak resident memory of the process during the first run, above what it held before
the run (the tables). Linux resets the peak when "5" is written to /proc/self/clear_refs, so the
peak read afterwards (VmHWM) is the run's own, whatever loading the tables cost; it counts every
allocator (numpy's, polars' and DuckDB's own) and every thread alike, which tracemalloc would not.
run_tpch.py runs each (query, program) in a process of its own, so that memory one program freed
and the allocator kept cannot hide part of the next one's peak. Spark's memory lives in its JVM
and is not measured.
"""

import gc
import json
import pathlib
import signal
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from answers import differences, read_answer  # noqa: E402
from tpch_engines import open_engine, stop_spark  # noqa: E402
from tpch_programs import ordered  # noqa: E402


class Timeout(Exception):
    pass


def _alarm(signum, frame):
    raise Timeout()


def status_kib(field):
    for line in pathlib.Path("/proc/self/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"/proc/self/status has no {field}")


def reset_peak():
    pathlib.Path("/proc/self/clear_refs").write_text("5")


def measure(engine, data_dir, job, runs, budget):
    number, variant = job["query"], job["variant"]
    if variant == "yardstick":
        run = lambda: engine.run_yardstick(number)  # noqa: E731
    else:
        run = lambda: engine.run_brell(variant, job["program"])  # noqa: E731
    answer = {"query": number, "variant": variant}
    gc.collect()
    reset_peak()
    before = status_kib("VmRSS")
    signal.signal(signal.SIGALRM, _alarm)
    signal.alarm(int(budget))
    started, started_cpu = time.perf_counter(), time.process_time()
    try:
        result = run()
    except Timeout:
        return {**answer, "timeout": budget}
    except Exception as error:  # a failing program is what the answer reports
        return {**answer, "problem": f"failed: {type(error).__name__}: {str(error)[:500]}"}
    finally:
        signal.alarm(0)
    times = [time.perf_counter() - started]
    cpu_times = [time.process_time() - started_cpu]
    peak = status_kib("VmHWM") - before
    _, expected = read_answer(data_dir / "answers" / f"q{number:02}.csv")
    answer["problem"] = differences(expected, engine.rows(result), ordered(data_dir, number))
    del result
    while len(times) < runs and sum(times) < budget / 3:
        gc.collect()
        started, started_cpu = time.perf_counter(), time.process_time()
        run()
        times.append(time.perf_counter() - started)
        cpu_times.append(time.process_time() - started_cpu)
    answer.update(best=min(times), best_cpu=min(cpu_times), runs=len(times),
                  peak_mib=None if engine.name == "spark" else peak / 1024)
    return answer


def main():
    engine_name, data_dir, runs, budget = sys.argv[1], pathlib.Path(sys.argv[2]), \
        int(sys.argv[3]), float(sys.argv[4])
    jobs = [json.loads(line) for line in sys.stdin if line.strip()]
    tables = sorted({table for job in jobs for table in job["tables"]})
    engine = open_engine(engine_name, data_dir, tables)
    for job in jobs:
        print(json.dumps(measure(engine, data_dir, job, runs, budget)), flush=True)
    engine.close()
    stop_spark()


if __name__ == "__main__":
    main()
