// Loading and querying the generated code tables, each beside the plain baseline it should
// stay close to: reading the file into memory, and one memmem over the table's text. The
// table scans run at the widest instruction set level the processor has; loading and the
// no-match query are measured again at each narrower x86 level ("@avx2", "@sse2").

#include "ByteScan.h"
#include "CodeTable.h"
#include "Lookup.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string tablePath(const char* name) {
    const char* dir = std::getenv("ZARVIK_DATA_DIR");
    return std::string(dir && *dir ? dir : ZARVIK_DEFAULT_DATA_DIR) + "/" + name;
}

const dict::CodeTable& cj5() {
    static const dict::CodeTable table = [] {
        dict::CodeTable t;
        t.load(tablePath("cj5.m"));
        return t;
    }();
    return table;
}

bool inText(std::string_view needle) {
    const std::string_view text = cj5().text();
    return ::memmem(text.data(), text.size(), needle.data(), needle.size()) != nullptr;
}

// A two-byte character the table does not hold anywhere, not even across characters: the
// search has to read the whole text.
std::string_view absentNeedle() {
    static const std::string_view needle = [] {
        for (std::string_view candidate : {"\xFE\xFE", "\xA1\xA1\xA1\xA1", "\xA9\xA0"})
            if (!inText(candidate)) return candidate;
        throw std::runtime_error("no absent needle found for the worst case");
    }();
    return needle;
}

// The character of the table's last line: the last line a query can answer with.
std::string_view lastLineCharacter() {
    const dict::CodeTable& t = cj5();
    const std::string_view line = t.line(static_cast<std::ptrdiff_t>(t.count() - 1));
    return line.substr(0, dict::gbkCharLength(line, 0));
}

// The heap a loaded table holds, as the allocator counts it (blocks it maps on its own
// included, rounded to pages).
std::size_t heapBytesOfLoading(const std::string& path, std::size_t& lines) {
    const struct mallinfo2 before = ::mallinfo2();
    dict::CodeTable table;
    table.load(path);
    const struct mallinfo2 after = ::mallinfo2();
    lines = table.count();
    return (after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd);
}

void loadTable(benchmark::State& state, const char* name) {
    const std::string path = tablePath(name);
    std::size_t bytes = 0;
    for (auto _ : state) {
        dict::CodeTable table;
        table.load(path);
        bytes = table.text().size();
        benchmark::DoNotOptimize(table.count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    // What the table costs beside its file: the aim is at most 8 bytes a line.
    std::size_t lines = 0;
    const std::size_t heap = heapBytesOfLoading(path, lines);
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["heap_bytes"] = static_cast<double>(heap);
    state.counters["over_file_per_line"] =
        lines == 0
            ? 0.0
            : (static_cast<double>(heap) - static_cast<double>(std::filesystem::file_size(path))) /
                  static_cast<double>(lines);
}

// What loading cannot beat: open, size, one read into an uninitialised buffer, close.
void readFile(benchmark::State& state, const char* name) {
    const std::string path = tablePath(name);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            state.SkipWithError("cannot open the table");
            break;
        }
        bytes = static_cast<std::size_t>(info.st_size);
        auto buffer = std::make_unique_for_overwrite<char[]>(bytes);
        benchmark::DoNotOptimize(::read(fd, buffer.get(), bytes));
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void find(benchmark::State& state, std::string_view (*needle)()) {
    const dict::CodeTable& table = cj5();
    const std::string_view n = needle();
    for (auto _ : state)
        benchmark::DoNotOptimize(dict::findFirstLine(table, n));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * table.text().size()));
}

void memmemBaseline(benchmark::State& state, std::string_view (*needle)()) {
    const std::string_view text = cj5().text();
    const std::string_view n = needle();
    for (auto _ : state)
        benchmark::DoNotOptimize(::memmem(text.data(), text.size(), n.data(), n.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

const char* levelName(dict::bytescan::Level level) {
    switch (level) {
    case dict::bytescan::Level::Portable:
        return "portable";
    case dict::bytescan::Level::Sse2:
        return "sse2";
    case dict::bytescan::Level::Avx2:
        return "avx2";
    case dict::bytescan::Level::Avx512:
        return "avx512";
    }
    return "?";
}

// Runs `body` with the scans restricted to `level`, and the widest level back afterwards.
template <class Body> auto atLevel(dict::bytescan::Level level, Body body) {
    return [level, body](benchmark::State& state) {
        dict::bytescan::restrictLevel(level);
        body(state);
        dict::bytescan::restrictLevel(dict::bytescan::supportedLevel());
    };
}

} // namespace

BENCHMARK_CAPTURE(readFile, cj5, "cj5.m");
BENCHMARK_CAPTURE(loadTable, cj5, "cj5.m");
BENCHMARK_CAPTURE(readFile, cj3, "cj3.m");
BENCHMARK_CAPTURE(loadTable, cj3, "cj3.m");
BENCHMARK_CAPTURE(memmemBaseline, cj5_no_match, absentNeedle);
BENCHMARK_CAPTURE(find, cj5_no_match, absentNeedle);
BENCHMARK_CAPTURE(memmemBaseline, cj5_last_line_char, lastLineCharacter);
BENCHMARK_CAPTURE(find, cj5_last_line_char, lastLineCharacter);

int main(int argc, char** argv) {
    using dict::bytescan::Level;
    const Level widest = dict::bytescan::supportedLevel();
    benchmark::AddCustomContext("scan_level", levelName(widest));
    for (Level level = Level::Sse2; level < widest;
         level = static_cast<Level>(static_cast<int>(level) + 1)) {
        const std::string at = std::string("@") + levelName(level);
        benchmark::RegisterBenchmark(
            ("loadTable/cj5" + at).c_str(),
            atLevel(level, [](benchmark::State& state) { loadTable(state, "cj5.m"); }));
        benchmark::RegisterBenchmark(
            ("find/cj5_no_match" + at).c_str(),
            atLevel(level, [](benchmark::State& state) { find(state, absentNeedle); }));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
