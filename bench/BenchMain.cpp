#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// The one main of vorl-bench; every other file of this folder only registers benchmarks. After the
// usual console report it prints a short Markdown table of the figures that matter to a user, in
// milliseconds, with the speed-up of the sort over the device software's selection sort.
namespace {

const std::vector<std::pair<std::string, std::string>> kSummaryRows = {
    {"BM_LoadSaveFileGen5", "read a generation-5 save file"},
    {"BM_WriteSaveFileGen5", "write it"},
    {"BM_DecodeAndClassifyGeneration5", "decode + classify a full generation-5 memory"},
    {"BM_FivePassSelectionSortGeneration5/iterations:1", "five-pass selection sort (reference)"},
    {"BM_LeqTableV5FullWeek", "longest table (7 days, 8192 rows) and its page layout"},
    {"BM_GraphWindowLoadAndDrawWeek", "graph window load + both graphs, 7 days"},
    {"BM_EnlargedGraphRedraw/1", "enlarged Leq1 redraw, 7 days"},
    {"BM_EnlargedGraphRedraw/10", "enlarged Leq10 redraw, 7 days"},
    {"BM_ZoomRedrawLeq1ImageCanvas", "zoom redraw of the enlarged Leq1 graph, 7 days"},
    {"BM_ZoomRedrawLeq10ImageCanvas", "zoom redraw of the enlarged Leq10 graph, 7 days"},
    {"BM_ComplianceWeek", "compliance: every window of a 7-day memory"},
    {"BM_ComplianceSixMonths", "compliance: six months of windows and their CSV rows"},
    {"BM_ComplianceReportPdfWeek", "compliance: the PDF of a 7-night report"},
    {"BM_ComplianceFromArchiveSixMonths", "compliance: six months read from the archive, report"},
    {"BM_ArchiveImportFullMemory", "archive: import a full generation-5 memory (SQLite)"},
    {"BM_ArchiveImportSameAgain", "archive: the same memory again"},
    {"BM_ArchiveImportMonths/6/iterations:1", "archive: import 26 weekly downloads"},
    {"BM_ArchiveLoadWeek/6", "archive: load a week of six months"},
    {"BM_ArchiveCoverage/6", "archive: coverage of six months"},
    {"BM_ArchiveImportFullMemoryPostgres", "archive: import a full memory (PostgreSQL)"},
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const double toMs = 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            m_runs[run.benchmark_name()] = {run.GetAdjustedRealTime() * toMs,
                                            run.GetAdjustedCPUTime() * toMs};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n| what | wall (ms) | CPU (ms) |\n|---|---:|---:|\n");
        for (const auto& [name, what] : kSummaryRows) {
            const auto found = m_runs.find(name);
            if (found != m_runs.end())
                std::printf("| %s | %.2f | %.2f |\n", what.c_str(), found->second.wall, found->second.cpu);
        }
        const auto sort = m_runs.find("BM_FivePassSelectionSortGeneration5/iterations:1");
        const auto decode = m_runs.find("BM_DecodeAndClassifyGeneration5");
        if (sort != m_runs.end() && decode != m_runs.end() && decode->second.cpu > 0)
            std::printf("\nDecode + classify is %.0f times faster than the selection sort alone (CPU).\n",
                        sort->second.cpu / decode->second.cpu);
    }

private:
    struct Times {
        double wall = 0, cpu = 0;
    };
    std::map<std::string, Times> m_runs;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
