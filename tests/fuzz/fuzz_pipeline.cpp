// Arbitrary bytes as the pipeline, against a fixed description of its tables, through every job.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string pipeline(reinterpret_cast<const char*>(data), size);
    brell::fuzz::run_every_job(
        pipeline, {"--columns",
                   "region:text,revenue:number,cost:number,day:date,at:timestamp,flag:truth,note:"
                   "money,id:number",
                   "--columns", "products=id:number,label:text,price:number", "--columns",
                   "more=region:text,revenue:number,cost:number,day:date,at:timestamp,flag:truth,"
                   "note:money,id:number"});
    // The same bytes given on standard input.
    brell::fuzz::run_and_check({"--columns", "region:text,revenue:number"}, pipeline);
    return 0;
}
