// SPDX-License-Identifier: MIT
// The instruction mode of the benchmark program: every workload on every
// implementation runs once, at one size, in a process of its own under
// valgrind's callgrind, which counts the instructions executed inside
// kolist_counted() only (the run and everything it calls, the heap included;
// not the preparation). The counts do not depend on the machine's load.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// Instructions per operation of one workload on one of its columns, from a
// child process `--count=<workload index>/<column index>` under callgrind,
// which prints its number of operations; -1 if it failed.
double per_operation(size_t workload, int impl)
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
                          " --count=" + std::to_string(workload) + "/" + std::to_string(impl) +
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

} // namespace

int count_one(const char *cell)
{
    size_t row = 0, column = 0;
    if (std::sscanf(cell, "%zu/%zu", &row, &column) != 2 || row >= workloads().size() ||
        column >= workloads()[row].count.size())
        return 2;
    std::printf("%lld\n", static_cast<long long>(workloads()[row].count[column](kCountedSize)));
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
        for (int i = 0; i < kImpls; i++) {
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
    return 0;
}

} // namespace bench
