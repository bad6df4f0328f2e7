// SPDX-License-Identifier: MIT
// The instruction mode of the benchmark program: every workload on every
// implementation, and each of the three sorts of the sort table, runs once,
// at one size, in a process of its own under valgrind's callgrind, which
// counts the instructions executed inside kolist_counted() only (the run and
// everything it calls, the heap included; not the preparation). The counts
// do not depend on the machine's load.

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
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

} // namespace

int count_one(const char *cell)
{
    size_t row = 0, column = 0;
    if (std::sscanf(cell, "%zu/%zu", &row, &column) != 2 || row >= rows().size() ||
        column >= rows()[row].count.size())
        return 2;
    std::printf("%lld\n", static_cast<long long>(rows()[row].count[column](kCountedSize)));
    return 0;
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
    std::printf("\nThree sorts of the same data: instructions per operation (n = %lld).\n\n",
                static_cast<long long>(kCountedSize));
    print_table("per", sorts, count_text, 3, INFINITY);
    return 0;
}

} // namespace bench
