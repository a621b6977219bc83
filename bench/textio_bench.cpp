// Text I/O throughput: ReadLine over 64 MiB files in the three common
// encodings, encoding detection on small and huge content (its cost must
// not grow with the size), and WriteText of 64 MiB in 80-character pieces
// (one WriteFile per full buffer).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include "bench_support.h"
#include "sim.h"
#include "textio/textio.h"

namespace {

constexpr size_t TEXT_FILE_SIZE = 64u << 20;

// A line of scheme-file-like text, about 70 characters, with one accented
// letter in it.
std::u16string SampleLine(size_t n) {
    std::string number = std::to_string(n);
    return u"StdColors=bright white on blue ; entry " + std::u16string(number.begin(), number.end()) +
           u" caf\u00E9 of the list\r\n";
}

std::string Encode(const std::u16string &line, DWORD encoding) {
    std::string out;
    for (char16_t c : line) {
        if (encoding == Utf16Le) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>(c >> 8);
        } else if (c < 0x80 || encoding == Ansi) {
            out += static_cast<char>(c);  // 1252 keeps Latin-1 letters as they are
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The 64 MiB file of an encoding, made once.
std::u16string SampleFile(DWORD encoding) {
    std::string name = ScratchDirectory() + "/sample" + std::to_string(encoding) + ".txt";
    std::ifstream probe(name);
    if (!probe) {
        std::string content = encoding == Utf16Le ? "\xFF\xFE" : "";
        for (size_t n = 0; content.size() < TEXT_FILE_SIZE; ++n) content += Encode(SampleLine(n), encoding);
        content.resize(TEXT_FILE_SIZE);
        std::ofstream(name, std::ios::binary) << content;
    }
    return std::u16string(name.begin(), name.end());
}

void BM_ReadLine(benchmark::State &state) {
    DWORD encoding = static_cast<DWORD>(state.range(0));
    sim::Reset();
    std::u16string name = SampleFile(encoding);
    WCHAR buffer[LINE_BUFFER_SIZE];
    size_t lines = 0;
    for (auto _ : state) {
        TextSource source = TextSource();
        if (OpenTextSource(&source, name.c_str()) != 0 || source.encoding != encoding) {
            state.SkipWithError("open or detection failed");
            break;
        }
        lines = 0;
        while (ReadLine(&source, buffer, READ_LINE_SKIP_BLANK)) ++lines;
        CloseTextSource(&source);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(TEXT_FILE_SIZE));
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ReadLine)->Arg(Ansi)->Arg(Utf16Le)->Arg(Utf8)->Unit(benchmark::kMillisecond);

// Content that keeps every detection test running to its limit (7-bit
// text, nothing decided early), then one UTF-8 letter; the time must be
// the same for 1 MiB and 64 MiB.
void BM_DetectEncoding(benchmark::State &state) {
    size_t size = static_cast<size_t>(state.range(0)) << 20;
    std::string content(size, 'a');
    content.replace(0, 2, "\xC3\xA9");
    TextSource source = TextSource();
    source.data = reinterpret_cast<const BYTE *>(content.data());
    source.size = content.size();
    source.ansiCodePage = 1252;
    for (auto _ : state) {
        source.position = 0;
        DetectEncoding(&source);
        benchmark::DoNotOptimize(source.encoding);
    }
    state.counters["content_MiB"] = static_cast<double>(state.range(0));
    state.counters["utf16_limit_KiB"] = DETECT_UTF16_SAMPLE / 1024;
    state.counters["utf8_limit_KiB"] = DETECT_UTF8_SAMPLE / 1024;
}
BENCHMARK(BM_DetectEncoding)->Arg(1)->Arg(64)->Unit(benchmark::kMicrosecond);

void BM_WriteText(benchmark::State &state) {
    sim::Reset();
    std::string path = ScratchDirectory() + "/written.txt";
    std::u16string name(path.begin(), path.end());
    std::u16string piece = u"Name=Ocean ; " + std::u16string(65, u'x') + u"\r\n";  // 80 characters
    const size_t pieces = TEXT_FILE_SIZE / piece.size();
    int writes = 0;
    for (auto _ : state) {
        int before = sim::CallCount("WriteFile");
        OutputFile *output = CreateOutputFile(name.c_str());
        for (size_t i = 0; i < pieces; ++i) WriteText(output, piece.c_str());
        if (CloseOutputFile(output) != 0) state.SkipWithError("write failed");
        writes = sim::CallCount("WriteFile") - before;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pieces * piece.size()));
    state.counters["WriteFile_calls"] = writes;
    // A flush happens when the next piece would not fit: 102 pieces.
    state.counters["full_buffers"] = static_cast<double>((pieces + 101) / 102);
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
