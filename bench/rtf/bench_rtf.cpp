// bench_rtf: how fast rtf::parse reads a 10 MB text-heavy policy and the corpus's largest
// document. `bench_rtf --write-policy=FILE` writes the generated policy and exits (used by
// compare-unrtf to time another reader on the very same bytes).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "PolicyGenerator.h"
#include "rtf/Reader.h"

namespace {

constexpr std::size_t kPolicyBytes = 10 * 1024 * 1024;

const std::string& policy() {
    static const std::string rtf = bench::generatePolicyRtf(kPolicyBytes);
    return rtf;
}

void readAll(benchmark::State& state, const std::string& bytes) {
    for (auto _ : state) {
        rtf::Document document = rtf::parse(bytes);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

void BM_TextHeavyPolicy(benchmark::State& state) {
    readAll(state, policy());
}
BENCHMARK(BM_TextHeavyPolicy)->Unit(benchmark::kMillisecond);

void BM_TextHeavyPolicyToPlainText(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = rtf::plainText(rtf::parse(policy()));
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(policy().size()));
}
BENCHMARK(BM_TextHeavyPolicyToPlainText)->Unit(benchmark::kMillisecond);

void BM_CorpusLargest(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(RTF_CORPUS) / "rtf";
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        state.SkipWithError(("no shared corpus at " + root.string()).c_str());
        return;
    }
    fs::path largest;
    std::uintmax_t largestSize = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        if (entry.path().extension() == ".rtf" && entry.file_size() > largestSize) {
            largestSize = entry.file_size();
            largest = entry.path();
        }
    }
    std::ifstream in(largest, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    state.SetLabel(largest.lexically_relative(root).string());
    readAll(state, bytes);
}
BENCHMARK(BM_CorpusLargest)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kWriteFlag = "--write-policy=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kWriteFlag, std::strlen(kWriteFlag)) == 0) {
            std::ofstream out(argv[i] + std::strlen(kWriteFlag), std::ios::binary);
            out << policy();
            return out ? 0 : 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
