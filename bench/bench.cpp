// SPDX-License-Identifier: MIT
// koList benchmark: each workload (workloads.hpp) runs, in the same binary and
// run, on koList, on the hand-written baseline library, on GLib's GQueue and
// on std::list, see impls.hpp; a table of its own sets four sorts of the same
// data side by side (ko::list::sort, std::list::sort, g_queue_sort and
// ko_list_sort). Two modes:
//
//  - by default, wall time: Google Benchmark, 7 repetitions of at least 0.1 s
//    each, randomly interleaved, median kept (any --benchmark_* flag on the
//    command line overrides these), then both tables of median CPU times per
//    iteration with their ratios;
//  - with --instructions, both tables in instructions per operation: each
//    cell runs once, at n = kCountedSize, in a process of its own
//    (--count=<row>/<column>) under valgrind's callgrind, which counts only
//    inside kolist_counted(): the run and everything it calls, the heap
//    included, not the preparation. The counts do not depend on the load.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "workloads.hpp"

extern "C" [[gnu::noinline, gnu::noipa]] void kolist_counted(void (*run)(void *), void *work)
{
    run(work);
}

namespace bench {
namespace {

// ---- Checks before timing --------------------------------------------------

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
    Impl sorted;
    fill(sorted, d.wide);
    sorted.sort(cmp_difference);
    out.push_back(sorted.walk());
    return out;
}

int64_t comparisons = 0; // made by the sort being checked

int32_t counted_difference(const void *a, const void *b)
{
    comparisons++;
    return cmp_difference(a, b);
}
bool counted_less(const Elem &a, const Elem &b)
{
    comparisons++;
    return key_less(a, b);
}

// `input` sorted by `sort` in a List; `comparisons` counts the comparisons.
template <class List> std::vector<Elem> sorted(const std::vector<Elem> &input, void (*sort)(List &))
{
    List list;
    for (const Elem &e : input)
        list.push_back(e);
    comparisons = 0;
    sort(list);
    return {list.begin(), list.end()};
}

// `input` sorted by g_queue_sort; `comparisons` counts the comparisons.
std::vector<Elem> sorted_by_gqueue(const std::vector<Elem> &input)
{
    GQueue *queue = g_queue_new();
    for (const Elem &e : input)
        g_queue_push_tail(queue, g_memdup2(&e, sizeof e));
    comparisons = 0;
    g_queue_sort(
        queue,
        [](gconstpointer a, gconstpointer b, gpointer) {
            comparisons++;
            return gqueue_difference(a, b, nullptr);
        },
        nullptr);
    std::vector<Elem> out;
    for (GList *l = queue->head; l != nullptr; l = l->next)
        out.push_back(*static_cast<const Elem *>(l->data));
    g_queue_free_full(queue, g_free);
    return out;
}

// Whether the four sorts of the sort table, on its data of size n, give the
// order std::stable_sort gives: exactly for the three stable ones, in the
// keys for ko_list_sort, which may swap equal keys (each element is numbered
// by its place in the input, so the order of equal keys shows). Also whether
// ko_list_sort makes n(n-1)/2 comparisons and ko::list::sort at most
// n*ceil(log2 n); prints the comparisons of all four.
bool sorts_agree(int64_t n)
{
    std::vector<Elem> input;
    for (int32_t key : data_for(n).wide)
        input.push_back(Elem{key, {static_cast<int32_t>(input.size())}});
    std::vector<Elem> expected = input;
    std::ranges::stable_sort(expected, key_less);

    const bool merge = sorted<ko::list<Elem>>(input, [](ko::list<Elem> &list) {
                           list.sort(counted_less);
                       }) == expected;
    const int64_t by_merge = comparisons;
    const bool standard = sorted<std::list<Elem>>(input, [](std::list<Elem> &list) {
                              list.sort(counted_less);
                          }) == expected;
    const int64_t by_standard = comparisons;
    const bool glib = sorted_by_gqueue(input) == expected;
    const int64_t by_glib = comparisons;
    const std::vector<Elem> exchanged = sorted<ko::list<Elem>>(
        input, [](ko::list<Elem> &list) { ko_list_sort(list.get(), counted_difference); });
    const int64_t by_exchange = comparisons;
    const bool exchange = std::ranges::equal(exchanged, expected, {}, &Elem::key, &Elem::key);

    const auto log2_up = static_cast<int64_t>(std::bit_width(static_cast<uint64_t>(n - 1)));
    const int64_t merge_bound = n * log2_up; // n*ceil(log2 n)
    std::printf("Comparisons sorting %lld elements: ko::list::sort %lld (n*ceil(log2 n) = %lld), "
                "std::list::sort %lld, g_queue_sort %lld, ko_list_sort %lld (n(n-1)/2 = %lld)\n",
                static_cast<long long>(n), static_cast<long long>(by_merge),
                static_cast<long long>(merge_bound), static_cast<long long>(by_standard),
                static_cast<long long>(by_glib), static_cast<long long>(by_exchange),
                static_cast<long long>(n * (n - 1) / 2));
    return merge && standard && glib && exchange && by_merge <= merge_bound &&
           by_exchange == n * (n - 1) / 2;
}

// Heap bytes in use per node after making n nodes (chunk headers included).
template <class Impl> double heap_per_node(int32_t n)
{
    const size_t before = mallinfo2().uordblks;
    Impl impl;
    for (int32_t i = 0; i < n; i++)
        impl.push_back(i);
    return static_cast<double>(mallinfo2().uordblks - before) / n;
}

bool checks()
{
    // First, before any GList link is freed into GLib's slice allocator,
    // which would serve the next ones from its caches, unseen here; on enough
    // nodes that its first slabs and caches weigh little.
    const int32_t nodes = 100'000;
    const double heap[] = {heap_per_node<KoImpl>(nodes), heap_per_node<BaselineImpl>(nodes),
                           heap_per_node<GQueueImpl>(nodes), heap_per_node<StdImpl>(nodes)};
    std::printf("Heap bytes per node (mallinfo2, 16-byte element): koList %.1f, baseline %.1f, "
                "GQueue %.1f, std::list %.1f\n",
                heap[0], heap[1], heap[2], heap[3]);
    const Data &d = data_for(2'000);
    const auto ko = results<KoImpl>(d);
    bool same = ko == results<BaselineImpl>(d) && ko == results<GQueueImpl>(d) &&
                ko == results<StdImpl>(d);
    std::printf("Same results in koList, baseline, GQueue and std::list: %s\n",
                same ? "yes" : "NO");
    bool sorts = true;
    for (int64_t n : rows().back().sizes)
        sorts = sorts_agree(n) && sorts;
    std::printf("std::stable_sort's order from ko::list::sort, std::list::sort and g_queue_sort, "
                "its keys' order from ko_list_sort, ko_list_sort's n(n-1)/2 comparisons and "
                "ko::list::sort's at most n*ceil(log2 n): %s\n",
                sorts ? "yes" : "NO");

    std::fflush(stdout);
    return same && sorts;
}

// ---- Table -----------------------------------------------------------------

// Collects the times for the table, the median of a cell's repetitions (or
// its one run), and shows the usual console lines, of the aggregates only the
// median and the coefficient of variation.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::pair<std::string, std::string>, double> cells;

    TableReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        std::vector<Run> shown;
        for (const Run &run : runs) {
            const auto cell = std::make_pair(run.run_name.function_name, run.run_name.args);
            if (run.run_type != Run::RT_Aggregate && !run.error_occurred)
                cells.try_emplace(cell, run.GetAdjustedCPUTime());
            if (run.aggregate_name == "median")
                cells[cell] = run.GetAdjustedCPUTime();
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median" ||
                run.aggregate_name == "cv")
                shown.push_back(run);
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }
};

std::string time_text(double ns)
{
    const char *unit = "ns";
    for (const char *next : {"µs", "ms", "s"}) {
        if (ns < 1000)
            break;
        ns /= 1000;
        unit = next;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g %s", ns, unit);
    return text;
}

// A line of a table: a row, its size (or what one operation is) and a figure
// per column.
struct Line {
    const Workload *row;
    std::string second;
    std::vector<double> figures;
};

// Prints `lines`, which share their columns, as a markdown table whose second
// column is headed `second`: each figure as `text` writes it, then the
// ratios of the rows with `decimals` decimals; the first ratio, the target,
// is marked over above `over`. Returns how many are over.
int print_table(const char *second, const std::vector<Line> &lines, std::string (*text)(double),
                int decimals, double over)
{
    if (lines.empty())
        return 0;
    const Workload &w = *lines.front().row;
    std::printf("| workload | %s |", second);
    for (const char *column : w.columns)
        std::printf(" %s |", column);
    for (auto [a, b] : w.ratios)
        std::printf(" %s / %s |", w.columns[a], w.columns[b]);
    std::printf("\n|---|---|");
    for (size_t i = 0; i < w.columns.size() + w.ratios.size(); i++)
        std::printf("---:|");
    int overs = 0;
    for (const Line &line : lines) {
        std::printf("\n| %s | %s |", line.row->name, line.second.c_str());
        for (double figure : line.figures)
            std::printf(" %s |", text(figure).c_str());
        for (auto [a, b] : w.ratios) {
            const double ratio = line.figures[a] / line.figures[b];
            const bool is_over = a == w.ratios[0].first && b == w.ratios[0].second && ratio > over;
            overs += is_over ? 1 : 0;
            std::printf(" %.*f%s |", decimals, ratio, is_over ? " (over)" : "");
        }
    }
    std::printf("\n");
    return overs;
}

std::string machine()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "?";
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    return "Machine: " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores (nproc), " +
           model + ", compiler GCC " + __VERSION__;
}

// A line per size of each row of `rows` that was timed in every column: the
// median times.
std::vector<Line> timed_lines(TableReporter &reporter, std::span<const Workload> rows)
{
    std::vector<Line> lines;
    for (const Workload &w : rows)
        for (int64_t n : w.sizes) {
            Line line{&w, std::to_string(n), {}};
            for (const char *column : w.columns)
                line.figures.push_back(
                    reporter.cells[{std::string(w.name) + "/" + column, std::to_string(n)}]);
            if (std::ranges::all_of(line.figures, [](double ns) { return ns > 0; }))
                lines.push_back(line); // else filtered out
        }
    return lines;
}

void print_tables(TableReporter &reporter)
{
    std::printf("\n%s\n\nMedian CPU time per iteration (target: koList / baseline <= 1.05).\n\n",
                machine().c_str());
    const std::vector<Line> lines = timed_lines(reporter, {rows().begin(), rows().end() - 1});
    const int over = print_table("size", lines, time_text, 2, 1.05);
    std::printf("\n%zu of %zu ratios within 1.05.\n", lines.size() - static_cast<size_t>(over),
                lines.size());
    std::printf("\nFour sorts of the same data: median CPU time per iteration.\n\n");
    print_table("size", timed_lines(reporter, {rows().end() - 1, rows().end()}), time_text, 2,
                INFINITY);
}

// ---- Instructions ----------------------------------------------------------

constexpr int64_t kCountedSize = 1'000;

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

// A line for each of rows()[from, to): the instructions per operation of
// each column; false, with a message, when a count failed.
bool counted_lines(size_t from, size_t to, std::vector<Line> &lines)
{
    for (size_t r = from; r < to; r++) {
        const Workload &w = rows()[r];
        lines.push_back({&w, w.per, {}});
        for (size_t i = 0; i < w.columns.size(); i++) {
            lines.back().figures.push_back(per_operation(r, i));
            if (lines.back().figures.back() < 0) {
                std::fprintf(stderr, "counting %s on %s failed (is valgrind installed?)\n",
                             w.name, w.columns[i]);
                return false;
            }
        }
    }
    return true;
}

std::string count_text(double count)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", count);
    return text;
}

int instruction_table()
{
    const size_t workload_rows = rows().size() - 1;
    std::vector<Line> lines, sorts;
    if (!counted_lines(0, workload_rows, lines) ||
        !counted_lines(workload_rows, rows().size(), sorts))
        return 1;
    std::printf("Instructions per operation (valgrind --tool=callgrind, n = %lld, one run "
                "each).\n\n",
                static_cast<long long>(kCountedSize));
    // Over: above 1 at the table's three decimals.
    const int over = print_table("per", lines, count_text, 3, 1.0005);
    std::printf("\n%zu of %zu workloads at or below the baseline (ratio 1.000 or less).\n",
                lines.size() - static_cast<size_t>(over), lines.size());
    std::printf("\nFour sorts of the same data: instructions per operation (n = %lld).\n\n",
                static_cast<long long>(kCountedSize));
    print_table("per", sorts, count_text, 3, INFINITY);
    return 0;
}

} // namespace
} // namespace bench

int main(int argc, char **argv)
{
    using namespace bench;
    size_t row = 0, column = 0;
    if (argc == 2 && std::strcmp(argv[1], "--instructions") == 0)
        return instruction_table();
    if (argc == 2 && std::sscanf(argv[1], "--count=%zu/%zu", &row, &column) == 2) {
        if (row >= rows().size() || column >= rows()[row].count.size())
            return 2;
        std::printf("%lld\n", static_cast<long long>(rows()[row].count[column](kCountedSize)));
        return 0;
    }
    std::vector<char *> args{argv[0]};
    char defaults[][48] = {"--benchmark_repetitions=7", "--benchmark_min_time=0.1",
                           "--benchmark_enable_random_interleaving=true",
                           "--benchmark_display_aggregates_only=true"};
    for (char *flag : defaults)
        args.push_back(flag);
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    if (!checks())
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
    print_tables(reporter);
    benchmark::Shutdown();
    return 0;
}
