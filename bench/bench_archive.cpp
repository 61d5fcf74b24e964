// Opening an archive of 20,000 entries and reading every entry through the
// archive manager, beside plain zlib inflating the same stored bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/vrfiles.hpp"

namespace {

constexpr int kEntries = 20000;

// Text-like contents of a few kilobytes, different in every entry.
std::string Contents(int i) {
    std::string s;
    uint32_t x = static_cast<uint32_t>(i) * 2654435761u + 1;
    int len = 1000 + static_cast<int>(x % 4000);
    static const char* words[] = {"the ", "message ", "box ", "shows ", "text ", "slowly ", "\x82\xA0", "\n"};
    while (static_cast<int>(s.size()) < len) {
        x = x * 1103515245u + 12345u;
        s += words[(x >> 16) % 8];
    }
    return s;
}

struct Fixture {
    std::string path;
    std::vector<std::string> names;
    std::vector<std::string> packed;  // the stored (deflated) bytes
    std::vector<size_t> plain_sizes;
    int64_t plain_total = 0;

    Fixture() {
        path = (std::filesystem::temp_directory_path() / ("bench-archive-" + std::to_string(::getpid()) + ".dat")).string();
        mivo::TVrFileCollection a;
        for (int i = 0; i < kEntries; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "scenario\\chapter%02d\\page%05d.zsb", i % 50, i);
            names.push_back(name);
            mivo::TVrFile& e = a.AddInMemory(name);
            e.data->Bytes() = Contents(i);
            plain_sizes.push_back(e.data->Bytes().size());
            plain_total += static_cast<int64_t>(plain_sizes.back());
        }
        mivo::TTpBigFileStream out(path, mivo::fmCreate);
        a.SaveTo(out);
        mivo::TVrFileCollection back;
        back.Open(path);
        mivo::TTpBigFileStream in(path, mivo::fmOpenRead);
        for (int i = 0; i < back.Count(); ++i) {
            std::string b(static_cast<size_t>(back[i].size), '\0');
            in.SetPosition(back[i].offset);
            in.Read(b.data(), back[i].size);
            packed.push_back(std::move(b));
        }
    }
    ~Fixture() { std::filesystem::remove(path); }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

void BM_OpenDirectory(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        mivo::TVrFileCollection a;
        a.Open(f.path);
        benchmark::DoNotOptimize(a.Count());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_OpenAndReadEveryEntry(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        mivo::TVrFileManager m;
        m.AddArchive(f.path);
        mivo::TMemoryStream target;
        for (const std::string& n : f.names) {
            m.Read(target, n);
            benchmark::DoNotOptimize(target.Memory());
        }
    }
    state.SetBytesProcessed(state.iterations() * f.plain_total);
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_PlainZlibInflate(benchmark::State& state) {
    Fixture& f = Data();
    std::string out;
    for (auto _ : state) {
        for (size_t i = 0; i < f.packed.size(); ++i) {
            out.resize(f.plain_sizes[i]);
            uLongf n = static_cast<uLongf>(out.size());
            uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(f.packed[i].data()),
                       static_cast<uLong>(f.packed[i].size()));
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * f.plain_total);
    state.SetItemsProcessed(state.iterations() * kEntries);
}

}  // namespace

BENCHMARK(BM_OpenDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndReadEveryEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
