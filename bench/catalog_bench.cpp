// The catalog at scale: a source of N files recorded over R runs (8 drives,
// 7 weekday folders) with 1 % changed per run. Prints the file's size, the
// time to record one run, and searches by part of a name.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"

using namespace zb;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "catalog_bench FILE FILES RUNS\n");
        return 2;
    }
    const std::string file = argv[1];
    const int files = std::atoi(argv[2]), runs = std::atoi(argv[3]);
    std::filesystem::remove(file);
    Catalog catalog(file);
    std::vector<CatalogFile> tree;
    for (int i = 0; i < files; ++i) {
        char path[160];
        std::snprintf(path, sizeof path, "Projekte %03d\\Unterordner %02d\\Dokument %06d.docx", i / 1000, i / 100 % 10,
                      i);
        tree.push_back({1 + i % 5, path, 1000 + static_cast<std::uint64_t>(i), 133000000000000000LL + i});
    }
    std::vector<double> record;
    const int changed = std::max(1, files / 100);
    for (int r = 0; r < runs; ++r) {
        for (int c = 0; c < changed; ++c) {
            CatalogFile& f = tree[static_cast<std::size_t>((r * changed + c * 7919) % files)];
            f.size += 1;
            f.lastWrite += 10000000;
        }
        CatalogRun run;
        run.targetNo = 1 + r % 8;
        run.medium = "medium " + std::to_string(r % 8);
        run.weekday = 1 + (r / 8) % 7;
        run.weekdayFolder = "E:\\" + std::to_string(run.weekday);
        run.result = RunResult::Complete;
        run.sources = {"C:\\A\\", "C:\\B\\", "C:\\C\\", "C:\\D\\", "C:\\E\\"};
        run.files = tree;
        const auto t = Clock::now();
        const std::int64_t id = catalog.runStarted(run);
        catalog.runEnded(id, run);
        record.push_back(since(t));
    }
    std::printf("files %d, runs %d, 1 %% changed per run\n", files, runs);
    std::printf("catalog size                       %8.1f MB\n",
                static_cast<double>(std::filesystem::file_size(file)) / 1e6);
    std::printf("recording one run (median)         %8.3f s   first %.3f s, last %.3f s\n", median(record),
                record.front(), record.back());
    for (const char* text : {"dokument 123456", "Projekte 071\\Unterordner 02", "docx"}) {
        std::vector<double> t;
        std::size_t found = 0;
        for (int i = 0; i < 5; ++i) {
            const auto s = Clock::now();
            found = catalog.search(text).size();
            t.push_back(since(s));
        }
        std::printf("search \"%s\" (%zu versions shown)  %8.3f s\n", text, found, median(t));
    }
    return 0;
}
