// SPDX-License-Identifier: MIT
// The instruction mode of the benchmark program: every workload on every
// implementation, and the sort of a ko::list each of three ways (the sort
// table), runs once, at one size, in a process of its own under
// valgrind's callgrind, which counts the instructions executed inside
// kolist_counted() only (the run and everything it calls, the heap included;
// not the preparation). The counts do not depend on the machine's load.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "workloads.hpp"

extern "C" [[gnu::noinline, gnu::noipa]] void kolist_counted(void (*run)(void *), void *work)
{
    run(work);
}

namespace bench {
namespace {

constexpr int64_t kCountedSize = 1'000;

// The instructions callgrind counted, from the "totals:" line of its output.
double totals(const std::string &path)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("totals: ", 0) == 0)
            return std::stod(line.substr(8));
    return -1;
}

// Instructions per operation of one row on one of its columns, from a child
// process `--count=<row index>/<column index>` (indices into rows()) under
// callgrind, which prints its number of operations; -1 if it failed.
double per_operation(size_t row, size_t column)
{
    char out[] = "/tmp/kolist-callgrind-XXXXXX";
    int fd = mkstemp(out);
    if (fd < 0)
        return -1;
    close(fd);
    std::string command = "valgrind --tool=callgrind --collect-atstart=no "
                          "--toggle-collect=kolist_counted --callgrind-out-file=" +
                          std::string(out) + " " +
                          std::filesystem::read_symlink("/proc/self/exe").string() +
                          " --count=" + std::to_string(row) + "/" + std::to_string(column) +
                          " 2>/dev/null";
    long long operations = 0;
    FILE *child = popen(command.c_str(), "r");
    bool read = child != nullptr && std::fscanf(child, "%lld", &operations) == 1;
    int status = child != nullptr ? pclose(child) : -1;
    double instructions = totals(out);
    std::remove(out);
    if (!read || status != 0 || operations <= 0 || instructions < 0)
        return -1;
    return instructions / static_cast<double>(operations);
}

// The sort table: instructions per comparison of the ways of sorting a
// ko::list<Elem> and the ratio of each to the first, the C API.
int sort_table()
{
    const Workload &w = sort_ways();
    const size_t row = rows().size() - 1;
    std::printf("\nSorting a ko::list: instructions per operation (n = %lld); ratios to the "
                "C API.\n\n",
                static_cast<long long>(kCountedSize));
    print_ratios_header(w, "per");
    std::vector<double> counts;
    for (size_t i = 0; i < w.columns.size(); i++) {
        counts.push_back(per_operation(row, i));
        if (counts.back() < 0) {
            std::fprintf(stderr, "counting %s %s failed\n", w.name, w.columns[i]);
            return 1;
        }
    }
    std::printf("| %s |", w.per);
    for (double count : counts)
        std::printf(" %.2f |", count);
    for (size_t i = 1; i < counts.size(); i++)
        std::printf(" %.3f |", counts[i] / counts[0]);
    std::printf("\n");
    return 0;
}

} // namespace

int count_one(const char *cell)
{
    size_t row = 0, column = 0;
    if (std::sscanf(cell, "%zu/%zu", &row, &column) != 2 || row >= rows().size() ||
        column >= rows()[row]->count.size())
        return 2;
    std::printf("%lld\n", static_cast<long long>(rows()[row]->count[column](kCountedSize)));
    return 0;
}

int instruction_table()
{
    std::printf("Instructions per operation (valgrind --tool=callgrind, n = %lld, one run "
                "each);\nratio = koList / baseline.\n\n",
                static_cast<long long>(kCountedSize));
    std::printf("| workload | per | koList | baseline | floor | std::list | ratio |\n"
                "|---|---|---:|---:|---:|---:|---:|\n");
    int total = 0, over = 0;
    for (size_t w = 0; w < workloads().size(); w++) {
        double counts[kImpls];
        for (size_t i = 0; i < std::size(counts); i++) {
            counts[i] = per_operation(w, i);
            if (counts[i] < 0) {
                std::fprintf(stderr, "counting %s on %s failed (is valgrind installed?)\n",
                             workloads()[w].name, kImplNames[i]);
                return 1;
            }
        }
        // Over: above 1 at the table's three decimals.
        double ratio = counts[0] / counts[1];
        bool is_over = ratio >= 1.0005;
        total++;
        over += is_over;
        std::printf("| %s | %s | %.2f | %.2f | %.2f | %.2f | %.3f%s |\n", workloads()[w].name,
                    workloads()[w].per, counts[0], counts[1], counts[2], counts[3], ratio,
                    is_over ? " (over)" : "");
        std::fflush(stdout);
    }
    std::printf("\n%d of %d workloads at or below the baseline (ratio 1.000 or less).\n",
                total - over, total);
    return sort_table();
}

} // namespace bench
