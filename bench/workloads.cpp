#include "workloads.hpp"

#include <array>

namespace brell::bench {
namespace {

// The five columns every cycling workload reads; the rest are numbers `c5`, `c6`, ...
constexpr std::string_view kKnownColumns =
    "id:number,region:text,amount:number,units:number,day:date";
constexpr std::size_t kKnownColumnCount = 5;

std::string column_list(std::size_t columns) {
    std::string list(kKnownColumns);
    for (std::size_t column = kKnownColumnCount; column < columns; ++column) {
        list += ",c" + std::to_string(column) + ":number";
    }
    return list;
}

// The steps of one turn of the cycle. Each leaves the table with the columns it started with
// (rows and order aside), so the cycle can repeat and stop anywhere. `summarize_line` closes the
// turn when the table is narrow enough to name every column in it.
std::vector<std::string> cycle(const std::string& summarize_line) {
    std::vector<std::string> steps = {
        "keep where [amount] > 10 and [region] is not \"North\"",
        "sort [amount] descending, [id]",
        "add [extra] as [amount] * 2 + [units], [so_far] as running_total([amount])",
        "take 1000",
        "take_last 500",
        "pick all_but [extra, so_far]",
        "join regions by [region]",
        "pick all_but [manager]",
        "add_rows more",
        "drop_duplicates",
        "rename [cost] as [amount]",
        "rename [amount] as [cost]",
        "drop_missing [amount]",
        "fill_missing [units] as 0",
        "add_combinations [region, id]",
        "lengthen [amount, units] as name [measure], value [reading]",
        "widen name [measure], value [reading] giving [amount, units]",
    };
    if (!summarize_line.empty()) steps.push_back(summarize_line);
    return steps;
}

Workload cycling(std::string name, std::size_t columns, std::size_t steps,
                 const std::string& summarize_line) {
    const std::vector<std::string> turn = cycle(summarize_line);
    Workload workload;
    workload.name = std::move(name);
    workload.steps = steps;
    workload.sentence = "t";
    for (std::size_t step = 0; step < steps; ++step) {
        workload.sentence += "\nthen " + turn[step % turn.size()];
    }
    workload.sentence += "\n";
    const std::string columns_of_t = column_list(columns);
    workload.column_lists = {columns_of_t, "more=" + columns_of_t,
                             "regions=region:text,manager:text"};
    return workload;
}

}  // namespace

Workload readme_example() {
    return {"readme",
            "sales then keep where [region] is \"West\" then take 10",
            {"region:text,revenue:number"},
            2};
}

Workload realistic_ten_steps() {
    const std::array<std::string_view, 10> steps = {
        "keep where [region] is \"West\" and [revenue] > 100",
        "add [margin] as [revenue] - [cost]",
        "join stores by [store]",
        "drop_missing [city]",
        "add [month] as month([day])",
        "summarize [margin] as total([margin]), [orders] as row_count() by [city, month]",
        "add [rank] as rank([margin] descending) by [month]",
        "keep where [rank] <= 3",
        "sort [month], [rank]",
        "take 36",
    };
    Workload workload{"realistic", "sales", {}, steps.size()};
    for (std::string_view step : steps) workload.sentence += "\nthen " + std::string(step);
    workload.sentence += "\n";
    workload.column_lists = {
        "region:text,store:text,revenue:number,cost:number,day:date",
        "stores=store:text,city:text,opened:date",
    };
    return workload;
}

Workload every_verb(std::size_t steps) {
    std::string summarize =
        "summarize [amount] as total([amount]), [units] as average([units]), "
        "[day] as largest([day])";
    const std::array<std::string_view, 5> aggregates = {"median", "smallest", "largest",
                                                        "standard_deviation", "total"};
    for (std::size_t column = kKnownColumnCount; column < 10; ++column) {
        const std::string name = "c" + std::to_string(column);
        summarize += ", [" + name + "] as " + std::string(aggregates[column - kKnownColumnCount]) +
                     "([" + name + "])";
    }
    summarize += " by [id, region]";
    return cycling("every_verb_" + std::to_string(steps), 10, steps, summarize);
}

Workload wide_table(std::size_t columns, std::size_t steps) {
    return cycling("wide_" + std::to_string(columns) + "_columns_" + std::to_string(steps),
                   columns < 10 ? 10 : columns, steps, "");
}

Workload long_value(std::size_t terms) {
    constexpr std::size_t kGroup = 100;
    std::string value;
    for (std::size_t start = 0; start < terms; start += kGroup) {
        if (start > 0) value += "\n  + ";
        value += "(";
        for (std::size_t term = start; term < terms && term < start + kGroup; ++term) {
            if (term > start) value += " - ";
            value += "[c" + std::to_string(term % 5) + "] * " + std::to_string(term % 97);
        }
        value += ")";
    }
    return {"value_" + std::to_string(terms) + "_terms",
            "t\nthen add [x] as " + value + "\n",
            {"c0:number,c1:number,c2:number,c3:number,c4:number"},
            1};
}

Workload long_lists(std::size_t columns) {
    const auto each = [&](const auto& item) {
        std::string items;
        for (std::size_t i = 0; i < columns; ++i) items += (i > 0 ? ", " : "") + item(i);
        return items;
    };
    const auto bare = [](std::string_view prefix, std::size_t i) {
        return std::string(prefix) + std::to_string(i);
    };
    const auto name = [&](std::string_view prefix, std::size_t i) {
        return "[" + bare(prefix, i) + "]";
    };
    const std::string every_column = "[" + each([&](std::size_t i) { return bare("c", i); }) + "]";
    const std::vector<std::string> steps = {
        "pick [" + each([&](std::size_t i) { return bare("c", columns - 1 - i); }) + "]",
        "rename " + each([&](std::size_t i) { return name("d", i) + " as " + name("c", i); }),
        "rename " + each([&](std::size_t i) { return name("c", i) + " as " + name("d", i); }),
        "add " + each([&](std::size_t i) { return name("c", i) + " as " + name("c", i) + " + 1"; }),
        "fill_missing " + each([&](std::size_t i) {
            return name("c", i) + " as " + name("c", (i + 1) % columns);
        }),
        "sort " + each([&](std::size_t i) { return name("c", i); }),
        "drop_missing " + every_column,
        "lengthen " + every_column,
    };
    Workload workload{"lists_" + std::to_string(columns) + "_names", "t", {}, steps.size()};
    for (const std::string& step : steps) workload.sentence += "\nthen " + step;
    workload.sentence += "\n";
    std::string list;
    for (std::size_t i = 0; i < columns; ++i) list += (i > 0 ? "," : "") + bare("c", i) + ":number";
    workload.column_lists = {list};
    return workload;
}

std::vector<Workload> all_workloads() {
    return {readme_example(),         realistic_ten_steps(), every_verb(1'000),
            every_verb(10'000),       every_verb(100'000),   wide_table(10, 1'000),
            wide_table(2'000, 1'000), long_value(10'000),    long_lists(2'000)};
}

std::vector<Workload> timing_workloads() {
    std::vector<Workload> workloads = all_workloads();
    workloads.push_back(every_verb(1'000'000));
    return workloads;
}

Workload find_workload(std::string_view name) {
    if (name == "every_verb_1000000") return every_verb(1'000'000);
    for (Workload& workload : all_workloads()) {
        if (workload.name == name) return std::move(workload);
    }
    return {};
}

}  // namespace brell::bench
