// Google Benchmark timings of every stage on every workload: lex, parse, check, the ladder the
// drawings read, each backend (its own check and its writing) and both drawings. Each reports
// the time per input byte and per step beside the time per run. Built with the project, not run
// by the tests:
//   ./build/bench/stage_benchmarks --benchmark_filter='check/'
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "arguments.hpp"
#include "backend/backend.hpp"
#include "check/checker.hpp"
#include "column_list.hpp"
#include "draw/ladder.hpp"
#include "parse/lexer.hpp"
#include "parse/parse.hpp"
#include "workloads.hpp"

namespace {

using brell::bench::Workload;

[[noreturn]] void give_up(const Workload& workload, const std::string& why) {
    std::fprintf(stderr, "workload %s: %s\n", workload.name.c_str(), why.c_str());
    std::exit(1);
}

std::vector<brell::TableColumn> read_or_give_up(const Workload& workload, const std::string& list) {
    auto columns = brell::read_column_list(list);
    if (auto* error = std::get_if<brell::UsageError>(&columns)) give_up(workload, error->message);
    return std::get<std::vector<brell::TableColumn>>(std::move(columns));
}

// The tables the workload's `--columns` values describe, read as the command line reads them.
std::vector<brell::TableDescription> described(const Workload& workload,
                                               const std::string& source) {
    std::vector<std::string> arguments;
    for (const std::string& list : workload.column_lists) {
        arguments.push_back("--columns");
        arguments.push_back(list);
    }
    arguments.push_back(workload.sentence);
    auto scanned = brell::scan_arguments(arguments);
    auto* collected = std::get_if<brell::Arguments>(&scanned);
    if (collected == nullptr || !collected->head_columns) give_up(workload, "bad --columns");
    std::vector<brell::TableDescription> named;
    for (const auto& [table, list] : collected->named_columns) {
        named.push_back({table, read_or_give_up(workload, list)});
    }
    return brell::described_tables(std::move(named),
                                   read_or_give_up(workload, *collected->head_columns), source);
}

// Everything the later stages start from, made once per workload outside the timing.
struct Prepared {
    Workload workload;
    brell::Pipeline pipeline;
    std::vector<brell::TableDescription> tables;
    std::unique_ptr<brell::CheckedPipeline> checked;
    std::unique_ptr<brell::Ladder> ladder;
};

std::shared_ptr<const Prepared> prepare(Workload workload) {
    auto prepared = std::make_shared<Prepared>();
    auto parsed = brell::parse(workload.sentence);
    if (!parsed) give_up(workload, "refused: " + parsed.error().message);
    prepared->pipeline = std::move(*parsed);
    prepared->tables = described(workload, prepared->pipeline.source.text);
    auto checked = brell::check(prepared->pipeline, prepared->tables);
    if (!checked) give_up(workload, "refused: " + checked.error().message);
    prepared->checked = std::make_unique<brell::CheckedPipeline>(std::move(*checked));
    prepared->workload = std::move(workload);
    prepared->ladder = std::make_unique<brell::Ladder>(
        brell::build_ladder(prepared->pipeline, prepared->workload.sentence, prepared->tables));
    return prepared;
}

// Runs `stage` as the timed body and reports its cost per input byte and per step.
void register_stage(const std::string& stage, const std::shared_ptr<const Prepared>& prepared,
                    std::function<std::size_t(const Prepared&)> body) {
    const std::string name = stage + "/" + prepared->workload.name;
    benchmark::RegisterBenchmark(name.c_str(), [prepared, body](benchmark::State& state) {
        std::size_t made = 0;
        for (auto _ : state) {
            made = body(*prepared);
            benchmark::DoNotOptimize(made);
        }
        const auto per_run =
            benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
        state.counters["per_byte"] =
            benchmark::Counter(static_cast<double>(prepared->workload.sentence.size()), per_run);
        state.counters["per_step"] =
            benchmark::Counter(static_cast<double>(prepared->workload.steps), per_run);
        state.counters["output_bytes"] = static_cast<double>(made);
    })->Unit(benchmark::kMicrosecond);
}

void register_workload(Workload workload) {
    const std::shared_ptr<const Prepared> prepared = prepare(std::move(workload));
    register_stage("lex", prepared,
                   [](const Prepared& p) { return brell::lex(p.workload.sentence)->size(); });
    register_stage("parse", prepared, [](const Prepared& p) {
        return brell::parse(p.workload.sentence)->steps.size();
    });
    register_stage("check", prepared, [](const Prepared& p) {
        return brell::check(p.pipeline, p.tables)->notes.size();
    });
    register_stage("ladder", prepared, [](const Prepared& p) {
        return brell::build_ladder(p.pipeline, p.workload.sentence, p.tables).tables.size();
    });
    for (const std::string& backend_name : brell::backend_names()) {
        std::shared_ptr<const brell::Backend> backend = brell::find_backend(backend_name);
        if (backend->check(*prepared->checked)) {
            give_up(prepared->workload, backend_name + " refuses it");
        }
        register_stage("write_" + backend_name, prepared, [backend](const Prepared& p) {
            if (backend->check(*p.checked)) return std::size_t{0};
            return backend->write(*p.checked, p.checked->columns_before).size();
        });
    }
    register_stage("draw_text", prepared,
                   [](const Prepared& p) { return brell::draw_text(*p.ladder).size(); });
    register_stage("draw_svg", prepared,
                   [](const Prepared& p) { return brell::draw_svg(*p.ladder).size(); });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (Workload& workload : brell::bench::all_workloads()) register_workload(std::move(workload));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
