#!/usr/bin/env python3
"""What costs the time in brell's programs: each spelling a writer uses now, timed against one
with the same meaning, on the TPC-H data of a scale factor (best of several runs, the tables in
memory). The figures the README gives for the writers' speed-ups come from here.

    spelling_costs.py --brell build/brell --scale 0.1 [--engines duckdb,polars,pandas]

For DuckDB and polars it also runs every query's whole program changed one way (SQL without the
`ORDER BY` of the steps whose order nothing reads; the polars program on LazyFrames, collected
once) and checks the rows are still right. Run by the engines' Python.
"""

import argparse
import functools
import math
import pathlib
import re
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from answers import differences, read_answer  # noqa: E402
from tpch_data import ensure_data  # noqa: E402
from tpch_engines import open_engine, package_kinds  # noqa: E402
from tpch_programs import QUERIES, ordered, program, sentence_program  # noqa: E402

ALL_TABLES = ("region", "nation", "supplier", "customer", "part", "partsupp", "orders",
              "lineitem")
print = functools.partial(print, flush=True)  # noqa: A001


# Q2 with the parts kept before the least cost is worked out: the same rows, since the smallest
# cost is taken per part and keeping a part keeps all of its offers.
Q2_PARTS_FIRST = """partsupp
then join part by [ps_partkey] is [p_partkey] unmatched "none"
then keep where [p_size] is 15 and [p_type] ends "BRASS"
then join supplier by [ps_suppkey] is [s_suppkey]
then join nation by [s_nationkey] is [n_nationkey]
then join region by [n_regionkey] is [r_regionkey]
then keep where [r_name] is "EUROPE"
then add [least_cost] as smallest([ps_supplycost]) by [ps_partkey]
then keep where [ps_supplycost] is [least_cost]
then rename [p_partkey] as [ps_partkey]
then pick [s_acctbal, s_name, n_name, p_partkey, p_mfgr, s_address, s_phone, s_comment]
then sort [s_acctbal] descending, [n_name], [s_name], [p_partkey]
then take 100"""


def best_ms(run, runs=5):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        run()
        times.append(time.perf_counter() - started)
    return min(times) * 1000


def geometric_mean(values):
    return math.exp(sum(math.log(value) for value in values) / len(values))


def pair(what, now, instead, runs=5):
    now_ms, instead_ms = best_ms(now, runs), best_ms(instead, runs)
    print(f"  {what}: {now_ms:.1f} ms now, {instead_ms:.1f} ms instead "
          f"({now_ms / instead_ms:.1f}x)")


def right(data_dir, number, rows):
    _, expected = read_answer(data_dir / "answers" / f"q{number:02}.csv")
    return differences(expected, rows, ordered(data_dir, number)) is None


def without_inner_orders(sql):
    """The SQL without the ORDER BY of every step but the last, and of the steps whose order the
    next one reads (a LIMIT, a window)."""
    lines = sql.splitlines()
    steps = [index for index, line in enumerate(lines) if re.match(r"\s*(WITH )?step\d+ AS", line)]
    for position, index in enumerate(steps[:-1]):
        following = lines[steps[position + 1]]
        if "LIMIT" in following or " OVER " in following:
            continue
        lines[index] = re.sub(r" ORDER BY [^()]*?(\)|,?$)(?=,?$)",
                              lambda match: match.group(1), lines[index])
    return "\n".join(lines) + "\n"


def duckdb_costs(brell, data_dir):
    engine = open_engine("duckdb", data_dir, ALL_TABLES)
    connection = engine.connection
    print("duckdb: every query without the ORDER BY of inner steps")
    ratios = []
    for number in QUERIES:
        sql = program(brell, number, "sql")
        changed = without_inner_orders(sql)
        if changed.strip() == sql.strip():
            continue
        rows_right = right(data_dir, number, connection.execute(changed).fetchall())
        now = best_ms(lambda: connection.execute(sql).fetchall())
        instead = best_ms(lambda: connection.execute(changed).fetchall())
        ratios.append(now / instead)
        print(f"  Q{number}: {now:.1f} ms now, {instead:.1f} ms without "
              f"({'rows right' if rows_right else 'ROWS WRONG'})")
    print(f"  geometric mean now/without over those queries: {geometric_mean(ratios):.2f}")
    pair("a count of distinct values by group as a window (Q21's add unique_count(...) by), "
         "against a grouped count joined back",
         lambda: connection.execute(
             "SELECT count(*) FROM (SELECT *, count(DISTINCT l_suppkey) OVER "
             "(PARTITION BY l_orderkey) AS n FROM lineitem) WHERE n > 1").fetchall(),
         lambda: connection.execute(
             "SELECT count(*) FROM lineitem JOIN (SELECT l_orderkey, count(DISTINCT l_suppkey) "
             "AS n FROM lineitem GROUP BY l_orderkey) USING (l_orderkey) WHERE n > 1").fetchall())
    pair("the smallest by group as a window over every European offer (Q2's add ... by), "
         "against the part filter first",
         lambda: connection.execute(program(brell, 2, "sql")).fetchall(),
         lambda: connection.execute(sentence_program(brell, Q2_PARTS_FIRST, "sql")).fetchall())
    kind = package_kinds().kind_named("duckdb")
    relations = {table: connection.table(table) for table in ("lineitem", "orders")}
    sql = program(brell, 4, "sql")
    pair("Q4 through brell.run's DuckDB kind (views made and checked per run) against execute",
         lambda: kind.execute(sql, relations).fetchall(),
         lambda: connection.execute(sql).fetchall())
    engine.close()


def polars_costs(brell, data_dir):
    import polars as pl
    engine = open_engine("polars", data_dir, ALL_TABLES)
    tables = engine.tables
    lazy = {name: frame.lazy() for name, frame in tables.items()}
    kind = package_kinds().kind_named("polars")
    print("polars: every query's program on DataFrames (now) and on LazyFrames, collected once")
    ratios = []
    for number in QUERIES:
        code = program(brell, number, "polars")
        rows_right = right(data_dir, number, kind.execute(code, lazy).rows())
        now = best_ms(lambda: kind.execute(code, tables))
        instead = best_ms(lambda: kind.execute(code, lazy))
        yardstick = best_ms(lambda: engine.run_yardstick(number))
        ratios.append((now / yardstick, instead / yardstick))
        print(f"  Q{number}: {now:.1f} ms eager, {instead:.1f} ms lazy, {yardstick:.1f} ms "
              f"yardstick ({'rows right' if rows_right else 'ROWS WRONG'})")
    print(f"  geometric mean against the yardstick: eager "
          f"{geometric_mean([r[0] for r in ratios]):.2f}, lazy "
          f"{geometric_mean([r[1] for r in ratios]):.2f}")
    lineitem, orders = tables["lineitem"], tables["orders"]
    revenue = pl.col("l_extendedprice") * (1 - pl.col("l_discount"))
    pair("a total guarded for a group of nothing, by order (Q3's)",
         lambda: lineitem.group_by("l_orderkey").agg(
             pl.when(revenue.count() > 0).then(revenue.sum()).alias("r")),
         lambda: lineitem.group_by("l_orderkey").agg(revenue.sum().alias("r")))
    summary = lineitem.group_by("l_orderkey").agg(revenue.sum().alias("r"))
    pair("the sort by the group keys after a summary, before the query's own sort (Q3's)",
         lambda: summary.sort("l_orderkey", nulls_last=True).sort("r", descending=True),
         lambda: summary.sort("r", descending=True))
    pair("an eager join, then a filter on the joined table's column (Q3's orders)",
         lambda: lineitem.join(orders, left_on="l_orderkey", right_on="o_orderkey")
         .filter(pl.col("o_orderdate") < pl.date(1995, 3, 15)),
         lambda: lineitem.lazy().join(orders.lazy(), left_on="l_orderkey",
                                      right_on="o_orderkey")
         .filter(pl.col("o_orderdate") < pl.date(1995, 3, 15)).collect())
    engine.close()


def pandas_costs(brell, data_dir):
    import pandas as pd
    engine = open_engine("pandas", data_dir, ALL_TABLES)
    lineitem, orders = engine.tables["lineitem"], engine.tables["orders"]
    partsupp = engine.tables["partsupp"]
    print("pandas: one spelling at a time")
    pair("total by group as a Python lambda in transform (Q18's add ... by)",
         lambda: lineitem.groupby("l_orderkey", dropna=False)["l_quantity"]
         .transform(lambda s: s.sum(min_count=1)),
         lambda: lineitem.groupby("l_orderkey", dropna=False)["l_quantity"]
         .transform("sum", min_count=1), runs=2)
    pair("smallest by group as a Python lambda in transform (Q2's add ... by)",
         lambda: partsupp.groupby("ps_partkey", dropna=False)["ps_supplycost"]
         .transform(lambda s: s.dropna().min() if s.notna().any() else None),
         lambda: partsupp.groupby("ps_partkey", dropna=False)["ps_supplycost"].transform("min"),
         runs=2)
    pair("total in a summary as a Python lambda in agg (Q18's, Q13's summarize)",
         lambda: lineitem.groupby("l_orderkey", as_index=False, dropna=False)
         .agg(q=("l_quantity", lambda s: s.sum(min_count=1))),
         lambda: lineitem.groupby("l_orderkey", as_index=False, dropna=False)["l_quantity"]
         .sum(min_count=1), runs=2)
    joined = lineitem.merge(orders, left_on="l_orderkey", right_on="o_orderkey")
    keys = ["o_custkey", "o_orderpriority"]
    pair("a summary of an expression as apply of a pd.Series per group (Q10's)",
         lambda: joined.groupby(keys, dropna=False)[list(joined.columns)].apply(
             lambda d: pd.Series({"revenue": (d["l_extendedprice"]
                                              * (1 - d["l_discount"])).sum(min_count=1)})),
         lambda: joined.assign(revenue=joined["l_extendedprice"] * (1 - joined["l_discount"]))
         .groupby(keys, dropna=False)["revenue"].sum(min_count=1), runs=2)
    literal = lambda d: pd.to_datetime(pd.Series("1994-01-01", index=d.index),  # noqa: E731
                                       format="mixed").dt.normalize()
    pair("a date literal parsed once per row (Q6's filter)",
         lambda: lineitem["l_shipdate"] >= literal(lineitem),
         lambda: lineitem["l_shipdate"] >= pd.Timestamp("1994-01-01"))
    pair("a three-valued mask where no value is missing (Q6's l_quantity < 24)",
         lambda: lineitem.loc[(lineitem["l_quantity"] < 24).astype("boolean")
                              .mask(lineitem["l_quantity"].isna()).fillna(False)],
         lambda: lineitem.loc[lineitem["l_quantity"] < 24])
    pair("a merge with a renamed copy of the other table, missing keys dropped (every join)",
         lambda: lineitem.merge(orders.rename(columns={"o_orderkey": "l_orderkey"})
                                .dropna(subset=["l_orderkey"]), on=["l_orderkey"], how="inner"),
         lambda: lineitem.merge(orders, left_on="l_orderkey", right_on="o_orderkey"))
    pair("a merge carrying every column, against only those the rest of Q7 reads",
         lambda: lineitem.merge(orders, left_on="l_orderkey", right_on="o_orderkey"),
         lambda: lineitem[["l_orderkey", "l_suppkey", "l_shipdate", "l_extendedprice",
                           "l_discount"]].merge(orders[["o_orderkey", "o_custkey"]],
                                                left_on="l_orderkey", right_on="o_orderkey"))
    engine.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--brell", required=True)
    parser.add_argument("--scale", type=float, default=0.1)
    parser.add_argument("--engines", default="duckdb,polars,pandas")
    options = parser.parse_args()
    data_dir = ensure_data(options.scale)
    costs = {"duckdb": duckdb_costs, "polars": polars_costs, "pandas": pandas_costs}
    for engine in options.engines.split(","):
        costs[engine](options.brell, data_dir)


if __name__ == "__main__":
    main()
