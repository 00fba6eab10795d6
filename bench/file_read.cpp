// file_read - reading every file of a tree through the file layer, from a PVA archive
// (the folder packed by `pva`, some entries compressed) and from the plain files.
//
// Run: cmake -DVORLANE_BENCH=ON ... && cmake --build <dir> --target bench_file_read pva
//      <dir>/bench/bench_file_read
// The `pva` packer is found beside the benchmark (../tools/pva/pva). The counter
// "packed_per_plain" of BM_PackedPerPlain is the time ratio of the two reads.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/file/file_access.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 120;

struct Tree {
    fs::path root;
    std::vector<std::string> names;  // relative to the tree
    bool ready = false;
    ~Tree() {
        if (!ready) return;
        FileShutDown();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Tree& TheTree() {
    static Tree tree;
    if (tree.ready) return tree;
    tree.root = fs::temp_directory_path() / ("pavex-bench-" + std::to_string(getpid()));
    fs::create_directories(tree.root / "plain");
    uint32_t seed = 1;
    for (int i = 0; i < kFiles; ++i) {
        // Pictures and sounds of the game's sizes: 4 KB to 200 KB, half of them
        // repetitive (compressed in the archive), half noise (stored).
        const size_t size = 4096 + static_cast<size_t>(i) * 1650;
        std::string name = "set" + std::to_string(i % 6) + "/file" + std::to_string(i) + ".bin";
        std::vector<char> data(size);
        for (size_t k = 0; k < size; ++k) {
            seed = seed * 1664525u + 1013904223u;
            data[k] = static_cast<char>(i % 2 ? (seed >> 24) : (k % 97) * 3);
        }
        fs::create_directories((tree.root / "plain" / name).parent_path());
        std::ofstream(tree.root / "plain" / name, std::ios::binary)
            .write(data.data(), static_cast<std::streamsize>(data.size()));
        tree.names.push_back(name);
    }
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0) abort();
    self[n] = 0;
    const fs::path pva = fs::path(self).parent_path() / ".." / "tools" / "pva" / "pva";
    const std::string command = "'" + pva.string() + "' pack '" + (tree.root / "plain").string() +
                                "' '" + (tree.root / "packed.PVA").string() + "'";
    if (system(command.c_str()) != 0) {
        fprintf(stderr, "bench_file_read: cannot run %s (build the pva target)\n",
                pva.string().c_str());
        abort();
    }
    FileStartUp();
    tree.ready = true;
    return tree;
}

size_t ReadTree(const Tree& tree, const char* folder, std::vector<char>& buffer) {
    size_t total = 0;
    for (const auto& name : tree.names) {
        const std::string path = (tree.root / folder / name).string();
        const FileHandle file = FileOpen(path.c_str());
        if (file == 0) abort();
        size_t got;
        while ((got = FileRead(buffer.data(), 1, buffer.size(), file)) > 0) total += got;
        FileClose(file);
    }
    return total;
}

void BM_PlainTree(benchmark::State& state) {
    const Tree& tree = TheTree();
    std::vector<char> buffer(1 << 16);
    size_t bytes = 0;
    for (auto _ : state) bytes += ReadTree(tree, "plain", buffer);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_PackedTree(benchmark::State& state) {
    const Tree& tree = TheTree();
    std::vector<char> buffer(1 << 16);
    size_t bytes = 0;
    for (auto _ : state) bytes += ReadTree(tree, "packed", buffer);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_PackedPerPlain(benchmark::State& state) {
    const Tree& tree = TheTree();
    std::vector<char> buffer(1 << 16);
    double packed = 0, plain = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadTree(tree, "packed", buffer));
        auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadTree(tree, "plain", buffer));
        auto t2 = std::chrono::steady_clock::now();
        packed += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["packed_per_plain"] = plain > 0 ? packed / plain : 0;
}

BENCHMARK(BM_PlainTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackedTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackedPerPlain)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
