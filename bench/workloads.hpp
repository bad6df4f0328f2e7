// SPDX-License-Identifier: MIT
// The benchmark's workloads, each a class template over the implementations
// of impls.hpp, timed and counted by bench.cpp. Its constructor takes the data
// for a size and prepares, unmeasured, the state a run starts from; reset(),
// where there is one, restores that state, unmeasured, before every timed
// run; run() is the measured work; operations(n) is how many operations one
// run on n elements makes (instructions are counted per operation). To add a
// workload, write its class template below and list it in rows().
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "impls.hpp"

namespace bench {

constexpr size_t kQueries = 256; // positions per run, enough to spread over the list
constexpr size_t kSteps = 1024; // churn steps per run
constexpr int32_t kKeys = 64;   // list keys are 0..63: a search matches 1 in 64
constexpr int32_t kSearchKey = 7;

// Search: a plain equality test. Sort: the difference of the keys (they are
// below 2^20, so it cannot overflow).
[[gnu::noinline]] inline int32_t cmp_equal(const void *a, const void *b)
{
    return key_of(a) == key_of(b) ? 0 : 1;
}
[[gnu::noinline]] inline int32_t cmp_difference(const void *a, const void *b)
{
    return key_of(a) - key_of(b);
}

// The same pseudo-random data for every implementation of a size.
struct Data {
    explicit Data(int64_t n)
    {
        std::mt19937 rng(static_cast<uint32_t>(n));
        auto below = [&rng](int64_t bound) {
            return static_cast<int32_t>(rng() % static_cast<uint64_t>(bound));
        };
        for (int64_t i = 0; i < n; i++) {
            keys.push_back(below(kKeys));
            wide.push_back(below(1 << 20));
        }
        for (size_t i = 0; i < kQueries; i++)
            positions.push_back(below(n));
        for (size_t i = 0; i < kSteps; i++)
            steps.push_back(Step{below(kKeys), below(33) - 16, below(2) == 1});
    }
    std::vector<int32_t> keys;      // list contents
    std::vector<int32_t> wide;      // sort input, random below 2^20
    std::vector<int32_t> positions; // random positions below n
    std::vector<Step> steps;        // churn steps
};

inline const Data &data_for(int64_t n)
{
    static std::map<int64_t, Data> cache;
    return cache.try_emplace(n, n).first->second;
}

// Lists are made on a trimmed heap, their nodes laid out in the order made:
// else the free chunks of an earlier workload (up to 10^6 nodes scattered by
// the churn) decide the walking speed more than the code does.
template <class Impl> void fill(Impl &impl, const std::vector<int32_t> &keys)
{
    malloc_trim(0);
    for (int32_t key : keys)
        impl.push_back(key);
}

// Make n nodes, fill and append them, then release the whole list.
template <class Impl> struct Build {
    explicit Build(const Data &data) : d(data)
    {
        // The pages are mapped and the chunks wait in the heap, so a run
        // measures the allocator and the list, not first-touch faults.
        Impl warm;
        fill(warm, d.keys);
    }
    void run()
    {
        Impl impl;
        for (int32_t key : d.keys)
            impl.push_back(key);
    }
    static int64_t operations(int64_t n) { return n; }
    const Data &d;
};

// The state the other workloads start from: a list of the size's keys.
template <class Impl> struct Filled {
    explicit Filled(const Data &data) : d(data) { fill(impl, d.keys); }
    const Data &d;
    Impl impl;
};

// First to last, reading each element: through calls, or inline over the
// public records (walk_links).
template <class Impl> struct Walk : Filled<Impl> {
    using Filled<Impl>::Filled;
    void run() { benchmark::DoNotOptimize(this->impl.walk()); }
    static int64_t operations(int64_t n) { return n; }
};
template <class Impl> struct WalkInline : Walk<Impl> {
    using Walk<Impl>::Walk;
    void run() { benchmark::DoNotOptimize(this->impl.walk_inline()); }
};

// kQueries times: the node at a random position, then that node's position.
template <class Impl> struct Positions : Filled<Impl> {
    using Filled<Impl>::Filled;
    void run()
    {
        int64_t sum = 0;
        for (int32_t pos : this->d.positions)
            sum += this->impl.position(pos);
        benchmark::DoNotOptimize(sum);
    }
    static int64_t operations(int64_t) { return kQueries; }
};

// All matches of a key, forward and then backward.
template <class Impl> struct Search : Filled<Impl> {
    using Filled<Impl>::Filled;
    void run() { benchmark::DoNotOptimize(this->impl.search(cmp, &key)); }
    static int64_t operations(int64_t n) { return 2 * n; }
    const Elem key{kSearchKey, {}};
    const ko_list_cmp_fn cmp = cmp_equal;
};

// kSteps random insert / move / unlink-and-release steps at the cursor,
// which starts on the first node.
template <class Impl> struct Churn : Filled<Impl> {
    explicit Churn(const Data &data) : Filled<Impl>(data) { this->impl.rewind(); }
    void run() { this->impl.churn(this->d.steps.data(), this->d.steps.size()); }
    static int64_t operations(int64_t) { return kSteps; }
};

// Sort random data, on a list made anew before every timed run. Counted per
// element, as the sorts make different numbers of comparisons: n(n-1)/2 the
// exchange sorts (koList's C API, the baseline), about n*log2(n) the others.
template <class Impl> struct Sort {
    explicit Sort(const Data &data) : d(data) { reset(); }
    void reset()
    {
        impl.reset(); // first, so that fill() trims the heap of its nodes
        impl = std::make_unique<Impl>();
        fill(*impl, d.wide);
    }
    void run() { impl->sort(cmp); }
    static int64_t operations(int64_t n) { return n; }
    const Data &d;
    std::unique_ptr<Impl> impl;
    const ko_list_cmp_fn cmp = cmp_difference;
};

// Times a workload on the size given as the benchmark's argument.
template <class Work> void timed(benchmark::State &state)
{
    Work work(data_for(state.range(0)));
    for (auto _ : state) {
        if constexpr (requires { work.reset(); }) {
            state.PauseTiming();
            work.reset();
            state.ResumeTiming();
        }
        work.run();
        benchmark::ClobberMemory();
    }
}

// Calls run(work). Callgrind counts only inside this function.
extern "C" [[gnu::noinline, gnu::noipa]] inline void kolist_counted(void (*run)(void *), void *work)
{
    run(work);
}

// Prepares a workload on n elements, runs it once inside kolist_counted().
template <class Work> int64_t counted(int64_t n)
{
    Work work(data_for(n));
    kolist_counted([](void *w) { static_cast<Work *>(w)->run(); }, &work);
    return Work::operations(n);
}

// A row of a table: one workload, timed and counted on each of its columns.
struct Workload {
    const char *name;
    const char *per; // what one operation of the instruction count is
    std::vector<int64_t> sizes;
    std::vector<const char *> columns = {};
    std::vector<std::pair<size_t, size_t>> ratios = {}; // columns shown divided, numerator first
    std::vector<void (*)(benchmark::State &)> time = {};
    std::vector<int64_t (*)(int64_t n)> count = {};
};

// A row whose columns run the workloads `Works`, in order.
template <class... Works> Workload row(Workload names)
{
    names.time = {timed<Works>...};
    names.count = {counted<Works>...};
    return names;
}

// A row of one workload on the implementations.
template <template <class> class Work> Workload on_impls(Workload names)
{
    names.columns = {"koList", "baseline", "GQueue", "std::list"};
    names.ratios = {{0, 1}, {0, 2}};
    return row<Work<KoImpl>, Work<BaselineImpl>, Work<GQueueImpl>, Work<StdImpl>>(names);
}

// Every row, in table order: the workloads on the implementations, then the
// sort table's, whose columns are four sorts of the sort workload's data,
// with ko::list::sort's ratio to each of the other merge sorts and
// ko_list_sort's to it.
inline const std::vector<Workload> &rows()
{
    const std::vector<int64_t> sizes = {100, 10'000, 1'000'000};
    static const std::vector<Workload> all = {
        on_impls<Build>({"build", "node", sizes}),
        on_impls<Walk>({"walk", "element", sizes}),
        on_impls<WalkInline>({"walk-inline", "element", sizes}),
        on_impls<Positions>({"positions", "query", sizes}),
        on_impls<Search>({"search", "element compared", sizes}),
        on_impls<Churn>({"churn", "step", sizes}),
        on_impls<Sort>({"sort", "element", {1'000, 4'000}}),
        row<Sort<KoCppImpl>, Sort<StdImpl>, Sort<GQueueImpl>, Sort<KoImpl>>(
            {"sorts", "element", {1'000, 4'000},
             {"ko::list::sort", "std::list::sort", "g_queue_sort", "ko_list_sort"},
             {{0, 1}, {0, 2}, {3, 0}}}),
    };
    return all;
}

} // namespace bench
