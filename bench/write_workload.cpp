// Prints the benchmark workloads for the timing script, which runs them through the whole
// `brell` process:
//   write_workload                      the names, one per line, with their step counts
//   write_workload NAME sentence        the sentence
//   write_workload NAME columns         each `--columns` value, one per line
#include <cstdio>
#include <string>
#include <string_view>

#include "workloads.hpp"

namespace {

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    using brell::bench::Workload;
    if (argc == 1) {
        for (const Workload& workload : brell::bench::timing_workloads()) {
            print(workload.name + "\t" + std::to_string(workload.steps) + "\n");
        }
        return 0;
    }
    const Workload workload = brell::bench::find_workload(argv[1]);
    const std::string_view part = argc == 3 ? argv[2] : "";
    if (workload.name.empty() || (part != "sentence" && part != "columns")) {
        std::fprintf(stderr, "usage: write_workload [NAME sentence|columns]\n");
        return 1;
    }
    if (part == "sentence") {
        print(workload.sentence);
    } else {
        for (const std::string& list : workload.column_lists) print(list + "\n");
    }
    return 0;
}
