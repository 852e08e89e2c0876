"""The TPC-H queries written by hand in pandas, as one who knows pandas would write them:
vectorised masks, filters before merges, only the columns needed carried into a merge, the
built-in aggregations. Each takes the tables it reads as DataFrames, by name, and answers a
DataFrame with the official columns in order."""

import pandas as pd


def _revenue(frame):
    return frame["l_extendedprice"] * (1 - frame["l_discount"])


def _between(series, low, high):
    """low <= series < high: the half-open date ranges of the queries."""
    return (series >= pd.Timestamp(low)) & (series < pd.Timestamp(high))


def q01(lineitem):
    lines = lineitem.loc[lineitem["l_shipdate"] <= pd.Timestamp("1998-09-02"),
                         ["l_returnflag", "l_linestatus", "l_quantity", "l_extendedprice",
                          "l_discount", "l_tax"]]
    disc_price = _revenue(lines)
    lines = lines.assign(disc_price=disc_price, charge=disc_price * (1 + lines["l_tax"]))
    return (
        lines.groupby(["l_returnflag", "l_linestatus"], as_index=False)
        .agg(sum_qty=("l_quantity", "sum"), sum_base_price=("l_extendedprice", "sum"),
             sum_disc_price=("disc_price", "sum"), sum_charge=("charge", "sum"),
             avg_qty=("l_quantity", "mean"), avg_price=("l_extendedprice", "mean"),
             avg_disc=("l_discount", "mean"), count_order=("l_quantity", "size"))
        .sort_values(["l_returnflag", "l_linestatus"])
    )


def q02(partsupp, supplier, nation, region, part):
    europe_nations = nation.merge(region[region["r_name"] == "EUROPE"][["r_regionkey"]],
                                  left_on="n_regionkey", right_on="r_regionkey")
    suppliers = supplier.merge(europe_nations[["n_nationkey", "n_name"]],
                               left_on="s_nationkey", right_on="n_nationkey")
    brass = part[(part["p_size"] == 15) & part["p_type"].str.endswith("BRASS")]
    offers = (brass[["p_partkey", "p_mfgr"]]
              .merge(partsupp, left_on="p_partkey", right_on="ps_partkey")
              .merge(suppliers, left_on="ps_suppkey", right_on="s_suppkey"))
    cheapest = offers[offers["ps_supplycost"]
                      == offers.groupby("p_partkey")["ps_supplycost"].transform("min")]
    return (
        cheapest.sort_values(["s_acctbal", "n_name", "s_name", "p_partkey"],
                             ascending=[False, True, True, True])
        .head(100)[["s_acctbal", "s_name", "n_name", "p_partkey", "p_mfgr", "s_address",
                    "s_phone", "s_comment"]]
    )


def q03(customer, orders, lineitem):
    customers = customer.loc[customer["c_mktsegment"] == "BUILDING", ["c_custkey"]]
    early = orders.loc[orders["o_orderdate"] < pd.Timestamp("1995-03-15"),
                       ["o_orderkey", "o_custkey", "o_orderdate", "o_shippriority"]]
    lines = lineitem.loc[lineitem["l_shipdate"] > pd.Timestamp("1995-03-15"),
                         ["l_orderkey", "l_extendedprice", "l_discount"]]
    joined = (customers.merge(early, left_on="c_custkey", right_on="o_custkey")
              .merge(lines, left_on="o_orderkey", right_on="l_orderkey"))
    joined = joined.assign(revenue=_revenue(joined))
    return (
        joined.groupby(["l_orderkey", "o_orderdate", "o_shippriority"], as_index=False)
        .agg(revenue=("revenue", "sum"))
        .sort_values(["revenue", "o_orderdate"], ascending=[False, True])
        .head(10)[["l_orderkey", "revenue", "o_orderdate", "o_shippriority"]]
    )


def q04(lineitem, orders):
    late = lineitem.loc[lineitem["l_commitdate"] < lineitem["l_receiptdate"], "l_orderkey"]
    chosen = orders[_between(orders["o_orderdate"], "1993-07-01", "1993-10-01")
                    & orders["o_orderkey"].isin(late.unique())]
    return (
        chosen.groupby("o_orderpriority", as_index=False)
        .agg(order_count=("o_orderkey", "size"))
        .sort_values("o_orderpriority")
    )


def q05(customer, orders, lineitem, supplier, nation, region):
    asia = nation.merge(region.loc[region["r_name"] == "ASIA", ["r_regionkey"]],
                        left_on="n_regionkey", right_on="r_regionkey")[["n_nationkey", "n_name"]]
    orders_1994 = orders.loc[_between(orders["o_orderdate"], "1994-01-01", "1995-01-01"),
                             ["o_orderkey", "o_custkey"]]
    joined = (customer[["c_custkey", "c_nationkey"]]
              .merge(asia, left_on="c_nationkey", right_on="n_nationkey")
              .merge(orders_1994, left_on="c_custkey", right_on="o_custkey")
              .merge(lineitem[["l_orderkey", "l_suppkey", "l_extendedprice", "l_discount"]],
                     left_on="o_orderkey", right_on="l_orderkey")
              .merge(supplier[["s_suppkey", "s_nationkey"]],
                     left_on=["l_suppkey", "c_nationkey"], right_on=["s_suppkey", "s_nationkey"]))
    joined = joined.assign(revenue=_revenue(joined))
    return (
        joined.groupby("n_name", as_index=False).agg(revenue=("revenue", "sum"))
        .sort_values("revenue", ascending=False)
    )


def q06(lineitem):
    chosen = lineitem[_between(lineitem["l_shipdate"], "1994-01-01", "1995-01-01")
                      & lineitem["l_discount"].between(0.05, 0.07)
                      & (lineitem["l_quantity"] < 24)]
    return pd.DataFrame(
        {"revenue": [(chosen["l_extendedprice"] * chosen["l_discount"]).sum()]})


def q07(supplier, lineitem, orders, customer, nation):
    nations = nation.loc[nation["n_name"].isin(["FRANCE", "GERMANY"]), ["n_nationkey", "n_name"]]
    suppliers = supplier[["s_suppkey", "s_nationkey"]].merge(
        nations.rename(columns={"n_name": "supp_nation"}),
        left_on="s_nationkey", right_on="n_nationkey")[["s_suppkey", "supp_nation"]]
    customers = customer[["c_custkey", "c_nationkey"]].merge(
        nations.rename(columns={"n_name": "cust_nation"}),
        left_on="c_nationkey", right_on="n_nationkey")[["c_custkey", "cust_nation"]]
    lines = lineitem.loc[lineitem["l_shipdate"].between(pd.Timestamp("1995-01-01"),
                                                        pd.Timestamp("1996-12-31")),
                         ["l_orderkey", "l_suppkey", "l_shipdate", "l_extendedprice",
                          "l_discount"]]
    joined = (lines.merge(suppliers, left_on="l_suppkey", right_on="s_suppkey")
              .merge(orders[["o_orderkey", "o_custkey"]], left_on="l_orderkey",
                     right_on="o_orderkey")
              .merge(customers, left_on="o_custkey", right_on="c_custkey"))
    joined = joined[joined["supp_nation"] != joined["cust_nation"]]
    joined = joined.assign(l_year=joined["l_shipdate"].dt.year, volume=_revenue(joined))
    return (
        joined.groupby(["supp_nation", "cust_nation", "l_year"], as_index=False)
        .agg(revenue=("volume", "sum"))
        .sort_values(["supp_nation", "cust_nation", "l_year"])
    )


def q08(part, supplier, lineitem, orders, customer, nation, region):
    america = nation.merge(region.loc[region["r_name"] == "AMERICA", ["r_regionkey"]],
                           left_on="n_regionkey", right_on="r_regionkey")[["n_nationkey"]]
    parts = part.loc[part["p_type"] == "ECONOMY ANODIZED STEEL", ["p_partkey"]]
    chosen_orders = orders.loc[orders["o_orderdate"].between(pd.Timestamp("1995-01-01"),
                                                             pd.Timestamp("1996-12-31")),
                               ["o_orderkey", "o_custkey", "o_orderdate"]]
    customers = customer[["c_custkey", "c_nationkey"]].merge(
        america, left_on="c_nationkey", right_on="n_nationkey")[["c_custkey"]]
    joined = (parts.merge(lineitem[["l_partkey", "l_suppkey", "l_orderkey", "l_extendedprice",
                                    "l_discount"]], left_on="p_partkey", right_on="l_partkey")
              .merge(chosen_orders, left_on="l_orderkey", right_on="o_orderkey")
              .merge(customers, left_on="o_custkey", right_on="c_custkey")
              .merge(supplier[["s_suppkey", "s_nationkey"]], left_on="l_suppkey",
                     right_on="s_suppkey")
              .merge(nation[["n_nationkey", "n_name"]], left_on="s_nationkey",
                     right_on="n_nationkey"))
    volume = _revenue(joined)
    joined = joined.assign(o_year=joined["o_orderdate"].dt.year, volume=volume,
                           brazil=volume.where(joined["n_name"] == "BRAZIL", 0.0))
    shares = joined.groupby("o_year", as_index=False).agg(brazil=("brazil", "sum"),
                                                          volume=("volume", "sum"))
    return (shares.assign(mkt_share=shares["brazil"] / shares["volume"])
            [["o_year", "mkt_share"]].sort_values("o_year"))


def q09(part, supplier, lineitem, partsupp, orders, nation):
    green = part.loc[part["p_name"].str.contains("green", regex=False), ["p_partkey"]]
    joined = (green.merge(lineitem[["l_partkey", "l_suppkey", "l_orderkey", "l_quantity",
                                    "l_extendedprice", "l_discount"]],
                          left_on="p_partkey", right_on="l_partkey")
              .merge(partsupp[["ps_partkey", "ps_suppkey", "ps_supplycost"]],
                     left_on=["l_partkey", "l_suppkey"], right_on=["ps_partkey", "ps_suppkey"])
              .merge(supplier[["s_suppkey", "s_nationkey"]], left_on="l_suppkey",
                     right_on="s_suppkey")
              .merge(orders[["o_orderkey", "o_orderdate"]], left_on="l_orderkey",
                     right_on="o_orderkey")
              .merge(nation[["n_nationkey", "n_name"]], left_on="s_nationkey",
                     right_on="n_nationkey"))
    joined = joined.assign(
        nation=joined["n_name"], o_year=joined["o_orderdate"].dt.year,
        amount=_revenue(joined) - joined["ps_supplycost"] * joined["l_quantity"])
    return (
        joined.groupby(["nation", "o_year"], as_index=False).agg(sum_profit=("amount", "sum"))
        .sort_values(["nation", "o_year"], ascending=[True, False])
    )


def q10(customer, orders, lineitem, nation):
    chosen = orders.loc[_between(orders["o_orderdate"], "1993-10-01", "1994-01-01"),
                        ["o_orderkey", "o_custkey"]]
    returned = lineitem.loc[lineitem["l_returnflag"] == "R",
                            ["l_orderkey", "l_extendedprice", "l_discount"]]
    joined = (chosen.merge(returned, left_on="o_orderkey", right_on="l_orderkey")
              .merge(customer, left_on="o_custkey", right_on="c_custkey")
              .merge(nation[["n_nationkey", "n_name"]], left_on="c_nationkey",
                     right_on="n_nationkey"))
    joined = joined.assign(revenue=_revenue(joined))
    return (
        joined.groupby(["c_custkey", "c_name", "c_acctbal", "c_phone", "n_name", "c_address",
                        "c_comment"], as_index=False)
        .agg(revenue=("revenue", "sum"))
        .sort_values("revenue", ascending=False)
        .head(20)[["c_custkey", "c_name", "revenue", "c_acctbal", "n_name", "c_address",
                   "c_phone", "c_comment"]]
    )


def q11(partsupp, supplier, nation):
    german = supplier[["s_suppkey", "s_nationkey"]].merge(
        nation.loc[nation["n_name"] == "GERMANY", ["n_nationkey"]],
        left_on="s_nationkey", right_on="n_nationkey")
    stock = partsupp.merge(german[["s_suppkey"]], left_on="ps_suppkey", right_on="s_suppkey")
    stock = stock.assign(value=stock["ps_supplycost"] * stock["ps_availqty"])
    values = stock.groupby("ps_partkey", as_index=False).agg(value=("value", "sum"))
    return (values[values["value"] > stock["value"].sum() * 0.0001]
            .sort_values("value", ascending=False))


def q12(orders, lineitem):
    lines = lineitem[lineitem["l_shipmode"].isin(["MAIL", "SHIP"])
                     & (lineitem["l_commitdate"] < lineitem["l_receiptdate"])
                     & (lineitem["l_shipdate"] < lineitem["l_commitdate"])
                     & _between(lineitem["l_receiptdate"], "1994-01-01", "1995-01-01")]
    joined = lines[["l_orderkey", "l_shipmode"]].merge(
        orders[["o_orderkey", "o_orderpriority"]], left_on="l_orderkey", right_on="o_orderkey")
    high = joined["o_orderpriority"].isin(["1-URGENT", "2-HIGH"])
    joined = joined.assign(high_line_count=high.astype("int64"),
                           low_line_count=(~high).astype("int64"))
    return (
        joined.groupby("l_shipmode", as_index=False)[["high_line_count", "low_line_count"]].sum()
        .sort_values("l_shipmode")
    )


def q13(customer, orders):
    kept = orders.loc[~orders["o_comment"].str.contains("special.*requests"), "o_custkey"]
    counts = kept.value_counts().reindex(customer["c_custkey"], fill_value=0)
    distribution = counts.value_counts()
    return (
        pd.DataFrame({"c_count": distribution.index, "custdist": distribution.to_numpy()})
        .sort_values(["custdist", "c_count"], ascending=False)
    )


def q14(lineitem, part):
    lines = lineitem.loc[_between(lineitem["l_shipdate"], "1995-09-01", "1995-10-01"),
                         ["l_partkey", "l_extendedprice", "l_discount"]]
    joined = lines.merge(part[["p_partkey", "p_type"]], left_on="l_partkey",
                         right_on="p_partkey")
    revenue = _revenue(joined)
    promo = revenue[joined["p_type"].str.startswith("PROMO")].sum()
    return pd.DataFrame({"promo_revenue": [100.0 * promo / revenue.sum()]})


def q15(lineitem, supplier):
    lines = lineitem[_between(lineitem["l_shipdate"], "1996-01-01", "1996-04-01")]
    revenue = _revenue(lines).groupby(lines["l_suppkey"]).sum()
    top = revenue[revenue == revenue.max()].rename("total_revenue").reset_index()
    return (
        supplier.merge(top, left_on="s_suppkey", right_on="l_suppkey")
        [["s_suppkey", "s_name", "s_address", "s_phone", "total_revenue"]]
        .sort_values("s_suppkey")
    )


def q16(partsupp, part, supplier):
    complaints = supplier.loc[supplier["s_comment"].str.contains("Customer.*Complaints"),
                              "s_suppkey"]
    parts = part[(part["p_brand"] != "Brand#45")
                 & ~part["p_type"].str.startswith("MEDIUM POLISHED")
                 & part["p_size"].isin([49, 14, 23, 45, 19, 3, 36, 9])]
    offers = partsupp.loc[~partsupp["ps_suppkey"].isin(complaints), ["ps_partkey", "ps_suppkey"]]
    joined = parts[["p_partkey", "p_brand", "p_type", "p_size"]].merge(
        offers, left_on="p_partkey", right_on="ps_partkey")
    return (
        joined.groupby(["p_brand", "p_type", "p_size"], as_index=False)
        .agg(supplier_cnt=("ps_suppkey", "nunique"))
        .sort_values(["supplier_cnt", "p_brand", "p_type", "p_size"],
                     ascending=[False, True, True, True])
    )


def q17(lineitem, part):
    parts = part.loc[(part["p_brand"] == "Brand#23") & (part["p_container"] == "MED BOX"),
                     ["p_partkey"]]
    lines = parts.merge(lineitem[["l_partkey", "l_quantity", "l_extendedprice"]],
                        left_on="p_partkey", right_on="l_partkey")
    small = lines["l_quantity"] < 0.2 * lines.groupby("l_partkey")["l_quantity"].transform("mean")
    # min_count=1: SQL's sum of no lines is missing, as it is at scale factor 0.01.
    total = lines.loc[small, "l_extendedprice"].sum(min_count=1)
    return pd.DataFrame({"avg_yearly": [total / 7.0]})


def q18(lineitem, orders, customer):
    quantities = lineitem.groupby("l_orderkey")["l_quantity"].sum()
    large = quantities[quantities > 300].rename("sum_qty").reset_index()
    joined = (orders[["o_orderkey", "o_custkey", "o_orderdate", "o_totalprice"]]
              .merge(large, left_on="o_orderkey", right_on="l_orderkey")
              .merge(customer[["c_custkey", "c_name"]], left_on="o_custkey", right_on="c_custkey"))
    return (
        joined.sort_values(["o_totalprice", "o_orderdate"], ascending=[False, True])
        .head(100)[["c_name", "c_custkey", "o_orderkey", "o_orderdate", "o_totalprice",
                    "sum_qty"]]
    )


def q19(lineitem, part):
    lines = lineitem.loc[lineitem["l_shipmode"].isin(["AIR", "AIR REG"])
                         & (lineitem["l_shipinstruct"] == "DELIVER IN PERSON"),
                         ["l_partkey", "l_quantity", "l_extendedprice", "l_discount"]]
    joined = lines.merge(part[["p_partkey", "p_brand", "p_container", "p_size"]],
                         left_on="l_partkey", right_on="p_partkey")

    def kind(brand, containers, low, high, size):
        return ((joined["p_brand"] == brand) & joined["p_container"].isin(containers)
                & joined["l_quantity"].between(low, high) & joined["p_size"].between(1, size))

    chosen = joined[kind("Brand#12", ["SM CASE", "SM BOX", "SM PACK", "SM PKG"], 1, 11, 5)
                    | kind("Brand#23", ["MED BAG", "MED BOX", "MED PKG", "MED PACK"], 10, 20, 10)
                    | kind("Brand#34", ["LG CASE", "LG BOX", "LG PACK", "LG PKG"], 20, 30, 15)]
    return pd.DataFrame({"revenue": [_revenue(chosen).sum()]})


def q20(partsupp, part, lineitem, supplier, nation):
    forest = part.loc[part["p_name"].str.startswith("forest"), "p_partkey"]
    lines = lineitem[_between(lineitem["l_shipdate"], "1994-01-01", "1995-01-01")
                     & lineitem["l_partkey"].isin(forest)]
    shipped = (lines.groupby(["l_partkey", "l_suppkey"], as_index=False)
               .agg(shipped=("l_quantity", "sum")))
    stock = partsupp[partsupp["ps_partkey"].isin(forest)].merge(
        shipped, left_on=["ps_partkey", "ps_suppkey"], right_on=["l_partkey", "l_suppkey"])
    suppliers = stock.loc[stock["ps_availqty"] > 0.5 * stock["shipped"], "ps_suppkey"]
    canada = nation.loc[nation["n_name"] == "CANADA", "n_nationkey"]
    chosen = supplier[supplier["s_suppkey"].isin(suppliers)
                      & supplier["s_nationkey"].isin(canada)]
    return chosen[["s_name", "s_address"]].sort_values("s_name")


def q21(lineitem, orders, supplier, nation):
    # Only the finished orders' lines matter: keeping them first halves the counting.
    finished = orders.loc[orders["o_orderstatus"] == "F", "o_orderkey"]
    kept = lineitem[lineitem["l_orderkey"].isin(finished)]
    lines = kept[["l_orderkey", "l_suppkey"]].assign(
        late=kept["l_receiptdate"] > kept["l_commitdate"])
    suppliers = lines.groupby("l_orderkey")["l_suppkey"].transform("nunique")
    late_suppliers = (lines.loc[lines["late"]].groupby("l_orderkey")["l_suppkey"].nunique()
                      .reindex(lines["l_orderkey"], fill_value=0).to_numpy())
    chosen = lines[lines["late"] & (suppliers > 1) & (late_suppliers == 1)]
    saudi = nation.loc[nation["n_name"] == "SAUDI ARABIA", "n_nationkey"]
    saudi_suppliers = supplier.loc[supplier["s_nationkey"].isin(saudi), ["s_suppkey", "s_name"]]
    joined = chosen.merge(saudi_suppliers, left_on="l_suppkey", right_on="s_suppkey")
    return (
        joined.groupby("s_name", as_index=False).agg(numwait=("l_orderkey", "size"))
        .sort_values(["numwait", "s_name"], ascending=[False, True])
        .head(100)
    )


def q22(customer, orders):
    codes = customer["c_phone"].str.slice(0, 2)
    candidates = customer.assign(cntrycode=codes)[
        codes.isin(["13", "31", "23", "29", "30", "18", "17"])]
    average = candidates.loc[candidates["c_acctbal"] > 0, "c_acctbal"].mean()
    chosen = candidates[(candidates["c_acctbal"] > average)
                        & ~candidates["c_custkey"].isin(orders["o_custkey"])]
    return (
        chosen.groupby("cntrycode", as_index=False)
        .agg(numcust=("c_custkey", "size"), totacctbal=("c_acctbal", "sum"))
        .sort_values("cntrycode")
    )
