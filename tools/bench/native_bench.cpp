// Costs of the portable logic at growing sizes; the complexity fit shows they are linear.
#include <benchmark/benchmark.h>

#include <string>

#include "params/command_line.h"
#include "params/parameter_file.h"
#include "start/viewer_url.h"

using namespace tessel;

static void BM_ParseCommandLine(benchmark::State& state) {
    WideString text;
    for (int i = 0; text.size() < static_cast<std::size_t>(state.range(0)); ++i)
        text += u"\"key" + Latin1ToWide(std::to_string(i)) + u"=some value " + Latin1ToWide(std::to_string(i)) + u"\" ";
    text.resize(state.range(0));
    for (auto _ : state) {
        ParameterMap map;
        benchmark::DoNotOptimize(ParseCommandLineParameters(text, map));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_ParseCommandLine)->RangeMultiplier(2)->Range(8 << 10, 32 << 10)->Complexity(benchmark::oN);

static void BM_ReadParameterFile(benchmark::State& state) {
    std::string bytes;
    for (int i = 0; bytes.size() < static_cast<std::size_t>(state.range(0)); ++i)
        bytes += "key" + std::to_string(i % 5000) + "=value number " + std::to_string(i) + "\r\n";
    bytes.resize(state.range(0));
    for (auto _ : state) {
        ParameterMap map;
        ParameterFileParser parser(map);
        for (std::size_t i = 0; i < bytes.size(); i += 65536) parser.Feed(std::string_view(bytes).substr(i, 65536));
        parser.Finish();
        benchmark::DoNotOptimize(map.size());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadParameterFile)->RangeMultiplier(2)->Range(10 << 18, 10 << 20)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

static void BM_ComposeViewerUrl(benchmark::State& state) {
    ParameterMap map;
    map.Store("URL", "http://127.0.0.1:8080/viewer");
    map.Store("ServerIP", "127.0.0.1");
    for (int i = 0; i < state.range(0); ++i) map.Store("param" + std::to_string(i), "value" + std::to_string(i));
    for (auto _ : state) benchmark::DoNotOptimize(ComposeViewerUrl(map, Latin1ToWide));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ComposeViewerUrl)->RangeMultiplier(2)->Range(2500, 10000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
