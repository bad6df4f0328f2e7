// SPDX-License-Identifier: MIT
// koList benchmark: each workload (workloads.hpp) on koList, the baseline,
// GQueue and std::list (impls.hpp), and a table of four sorts. Two measures:
//  - by default, wall time: Google Benchmark, 7 repetitions of at least 0.1 s
//    each, randomly interleaved (any --benchmark_* flag overrides these), and
//    the median CPU time per iteration;
//  - with --instructions, instructions per operation: each cell runs once, at
//    n = kCountedSize, in a process of its own (--count=<row>/<column>) under
//    valgrind's callgrind, which counts only inside kolist_counted(): the run
//    and everything it calls, the heap included, not the preparation.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "workloads.hpp"

namespace bench {
namespace {

constexpr int64_t kCountedSize = 1'000;

// The digest of `keys` in a list of the Impl, sorted by its sort.
template <class Impl> uint64_t sorted(const std::vector<int32_t> &keys)
{
    Impl impl;
    fill(impl, keys);
    impl.sort(cmp_difference);
    return impl.walk();
}

// What every workload computes, so that the implementations can be seen to
// do the same work: digests of the contents (both walks, after churn and
// after sort) and the results of positions and search.
template <class Impl> std::vector<uint64_t> results(const Data &d)
{
    Impl impl;
    fill(impl, d.keys);
    std::vector<uint64_t> out{impl.walk(), impl.walk_inline()};
    for (int32_t pos : d.positions)
        out.push_back(static_cast<uint64_t>(impl.position(pos)));
    const Elem key{kSearchKey, {}};
    out.push_back(static_cast<uint64_t>(impl.search(cmp_equal, &key)));
    impl.rewind();
    impl.churn(d.steps.data(), d.steps.size());
    out.push_back(impl.walk());
    out.push_back(sorted<Impl>(d.wide));
    return out;
}

// Heap bytes in use per node of a list of `keys` (chunk headers included).
template <class Impl> double heap_per_node(const std::vector<int32_t> &keys)
{
    const size_t before = mallinfo2().uordblks;
    Impl impl;
    fill(impl, keys);
    return static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(keys.size());
}

bool checks()
{
    const std::vector<int32_t> &keys = data_for(10'000).keys;
    const double heap[] = {heap_per_node<KoImpl>(keys), heap_per_node<BaselineImpl>(keys),
                           heap_per_node<GQueueImpl>(keys), heap_per_node<StdImpl>(keys)};
    std::printf("Heap bytes per node (mallinfo2, 16-byte element): koList %.1f, baseline %.1f, "
                "GQueue %.1f, std::list %.1f\n",
                heap[0], heap[1], heap[2], heap[3]);
    const Data &d = data_for(2'000);
    const auto ko = results<KoImpl>(d);
    const bool same = ko == results<BaselineImpl>(d) && ko == results<GQueueImpl>(d) &&
                      ko == results<StdImpl>(d) && ko.back() == sorted<KoCppImpl>(d.wide);
    std::printf("Same results in koList, baseline, GQueue, std::list (and ko::list's sort): %s\n",
                same ? "yes" : "NO");
    std::fflush(stdout);
    return same;
}

// A line of a table: a row, its size (or what one operation is), its figures.
struct Line {
    const Workload *row;
    std::string second;
    std::vector<double> figures;
};

// A figure as the tables show it: a time in nanoseconds in the unit that
// fits, or a count with two decimals.
std::string text(double figure, bool time)
{
    const char *unit = "ns";
    for (const char *next : {"µs", "ms", "s"}) {
        if (!time || figure < 1000)
            break;
        figure /= 1000;
        unit = next;
    }
    char text[32];
    std::snprintf(text, sizeof text, time ? "%.3g %s" : "%.2f", figure, unit);
    return text;
}

// Prints `lines` as markdown tables whose second column is headed `second`,
// a new table where the columns change: each figure, then the row's ratios
// with `decimals` decimals. The first ratio of the implementations' rows,
// koList / baseline, is the target: marked over above `over`, and counted.
void print_tables(const std::vector<Line> &lines, const char *second, bool time, int decimals,
                  double over, const char *within)
{
    const Workload *table = nullptr;
    int targets = 0, overs = 0;
    for (const Line &line : lines) {
        const Workload &w = *line.row;
        if (table == nullptr || w.columns != table->columns) {
            std::printf("%s| workload | %s |", table != nullptr ? "\n\n" : "", second);
            for (const char *column : w.columns)
                std::printf(" %s |", column);
            for (auto [a, b] : w.ratios)
                std::printf(" %s / %s |", w.columns[a], w.columns[b]);
            std::printf("\n|---|---|");
            for (size_t i = 0; i < w.columns.size() + w.ratios.size(); i++)
                std::printf("---:|");
            table = &w;
        }
        std::printf("\n| %s | %s |", w.name, line.second.c_str());
        for (double figure : line.figures)
            std::printf(" %s |", text(figure, time).c_str());
        for (auto [a, b] : w.ratios) {
            const double ratio = line.figures[a] / line.figures[b];
            const bool target = w.columns[b] == std::string("baseline");
            targets += target ? 1 : 0;
            overs += target && ratio > over ? 1 : 0;
            std::printf(" %.*f%s |", decimals, ratio, target && ratio > over ? " (over)" : "");
        }
    }
    std::printf("\n\n%d of %d ratios koList / baseline %s.\n", targets - overs, targets, within);
}

// Keeps each cell's time: the median of its repetitions, or its one run.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> cells; // by name, e.g. "walk/koList/100"

    TableReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if ((run.run_type != Run::RT_Aggregate && !run.error_occurred) ||
                run.aggregate_name == "median")
                cells[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

int time_tables(int argc, char **argv)
{
    // GLib's slice allocator would keep freed GList links in caches whose pages
    // pin the heap, scattering the lists made after them. GLib reads G_SLICE
    // as it loads; under valgrind it allocates links with malloc anyway.
    if (std::getenv("G_SLICE") == nullptr && setenv("G_SLICE", "always-malloc", 1) == 0)
        execv("/proc/self/exe", argv);
    char defaults[][48] = {"--benchmark_repetitions=7", "--benchmark_min_time=0.1",
                           "--benchmark_enable_random_interleaving=true",
                           "--benchmark_display_aggregates_only=true"};
    std::vector<char *> args{argv[0], defaults[0], defaults[1], defaults[2], defaults[3]};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()) || !checks())
        return 1;
    for (const Workload &w : rows())
        for (int64_t n : w.sizes)
            data_for(n); // made now, not between a trimmed heap and a list
    for (const Workload &w : rows())
        for (size_t i = 0; i < w.columns.size(); i++)
            for (int64_t n : w.sizes)
                benchmark::RegisterBenchmark((std::string(w.name) + "/" + w.columns[i]).c_str(),
                                             w.time[i])
                    ->Arg(n)
                    ->Unit(benchmark::kNanosecond);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<Line> lines; // a line per size of each row timed in every column
    for (const Workload &w : rows())
        for (int64_t n : w.sizes) {
            Line line{&w, std::to_string(n), {}};
            for (const char *column : w.columns)
                line.figures.push_back(
                    reporter.cells[std::string(w.name) + "/" + column + "/" + line.second]);
            if (std::ranges::all_of(line.figures, [](double ns) { return ns > 0; }))
                lines.push_back(line);
        }
    std::printf("\nMedian CPU time per iteration (target: koList / baseline <= 1.05).\n\n");
    print_tables(lines, "size", true, 2, 1.05, "within 1.05");
    return 0;
}

// Instructions per operation of a row on a column, from a child process under
// callgrind, which prints its operations, callgrind the instructions; or -1.
double per_operation(size_t row, size_t column)
{
    const std::string command = "valgrind --tool=callgrind --collect-atstart=no "
                                "--toggle-collect=kolist_counted --callgrind-out-file=/dev/null " +
                                std::filesystem::read_symlink("/proc/self/exe").string() +
                                " --count=" + std::to_string(row) + "/" + std::to_string(column) +
                                " 2>&1";
    FILE *child = popen(command.c_str(), "r");
    if (child == nullptr)
        return -1;
    double operations = -1, instructions = -1;
    char line[256];
    while (std::fgets(line, sizeof line, child) != nullptr)
        if (std::sscanf(line, "==%*d== Collected : %lf", &instructions) != 1)
            std::sscanf(line, "%lf", &operations); // valgrind's own lines start with "=="
    if (pclose(child) != 0 || operations <= 0 || instructions < 0)
        return -1;
    return instructions / operations;
}

int instruction_tables()
{
    std::vector<Line> lines;
    for (const Workload &w : rows()) {
        lines.push_back({&w, w.per, {}});
        for (size_t i = 0; i < w.columns.size(); i++) {
            lines.back().figures.push_back(per_operation(lines.size() - 1, i));
            if (lines.back().figures.back() < 0) {
                std::fprintf(stderr, "counting %s on %s failed (is valgrind installed?)\n",
                             w.name, w.columns[i]);
                return 1;
            }
        }
    }
    std::printf("Instructions per operation (valgrind --tool=callgrind, n = %lld, one run "
                "each).\n\n",
                static_cast<long long>(kCountedSize));
    print_tables(lines, "per", false, 3, 1.0005, "at or below 1.000"); // at three decimals
    return 0;
}

} // namespace
} // namespace bench

int main(int argc, char **argv)
{
    using namespace bench;
    size_t row = 0, column = 0;
    if (argc == 2 && std::strcmp(argv[1], "--instructions") == 0)
        return instruction_tables();
    if (argc != 2 || std::sscanf(argv[1], "--count=%zu/%zu", &row, &column) != 2)
        return time_tables(argc, argv);
    if (row >= rows().size() || column >= rows()[row].count.size())
        return 2;
    std::printf("%lld\n", static_cast<long long>(rows()[row].count[column](kCountedSize)));
    return 0;
}
