#pragma once

// What every benchmark program over the object store does around its
// benchmarks: runs offscreen, keeps its files in a scratch directory removed
// at the end, answers every message without showing it, and reports the
// messages it didn't expect.

#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>

namespace bench_run {

inline std::string gScratch;
inline std::set<int> gExpectedMessages;
inline const char* gName = "bench";
inline int gUnexpectedMessages = 0;

inline int AnswerMessage(const MessageRecord& message) {
    if (gExpectedMessages.count(message.number) == 0 && ++gUnexpectedMessages <= 5)
        std::fprintf(stderr, "%s: message %d: %s\n", gName, message.number, message.text.c_str());
    return AnswerOK;
}

inline void RemoveScratch() {
    if (gScratch.empty()) return;
    setObjectStoreDefaults();
    std::error_code error;
    std::filesystem::remove_all(gScratch, error);
    gScratch.clear();
}

} // namespace bench_run

// The scratch directory of the run.
inline const std::string& BenchScratch() {
    return bench_run::gScratch;
}

// The whole main() of a benchmark program named `name`; messages of the
// numbers in `expected` are answered silently.
inline int RunBenchmarks(const char* name, int argc, char** argv,
                         std::initializer_list<int> expected = {}) {
    using namespace bench_run;
    gName = name;
    gExpectedMessages = expected;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string pattern = std::string("/tmp/norvane-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror(name);
        return 1;
    }
    gScratch = pattern;
    std::atexit(RemoveScratch);
    InitPlatform(0, nullptr);
    SetMessageResponder(AnswerMessage);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveScratch();
    if (gUnexpectedMessages > 0)
        std::fprintf(stderr, "%s: %d unexpected messages\n", name, gUnexpectedMessages);
    return 0;
}
