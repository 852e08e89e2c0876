// Arbitrary bytes as `--columns` lists (the head table's and a named one), with pipelines that
// read them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::string head = bytes.substr(0, split);
    const std::string named = split == std::string::npos ? "" : bytes.substr(split + 1);
    for (const char* pipeline : {"t then keep where [a] is 1 then sort [a] then take_last 2",
                                 "t then join p then add_rows p then pick [a]",
                                 "t then lengthen where name starts \"a\" as name \"{x}_{value}\"",
                                 "t then widen name [a], value first([b])"}) {
        brell::fuzz::run_every_job(pipeline, {"--columns", head, "--columns", "p=" + named});
    }
    return 0;
}
