// SPDX-License-Identifier: MIT
// The model follows the behaviour the library promises (and the
// choices it settles), not the library's code: a list is a vector of node
// slots with its cursors as slots; a node is its list, link state, data
// pointer and expected bytes. Each step runs on the model, then on the
// library, and so does each callback's look at its own list.
#include "checker.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <span>
#include <tuple>
#include <vector>

#include "koList.h"

namespace checker {

namespace {

// clang-format off
// The 26 operations and a caller's write into `search_dir`, in apply()'s groups;
// GET_NODES to NODE_NEXT, reads and cursor moves, are what a callback may play.
enum Op {
    NEW, NODE_NEW, FREE, GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, REMOVE, CLEAN,
    GET_NODES, FIRST, TAIL, NEXT, PREV, CURRENT, SET_CURRENT, MOVE, GET_POS, NODE_POS, NODE_PREV,
    NODE_NEXT, SEARCH, SEARCH_NEXT, SORT, WRITE_DIR
};
const char *const kNames[] = {
    "new", "node_new", "free", "get_data", "attach", "add", "insert", "detach", "node_free",
    "remove", "clean", "get_nodes", "get_first", "get_tail", "get_next", "get_prev", "get_current",
    "set_current", "move_current", "get_pos", "get_node_pos", "node_get_prev", "node_get_next",
    "search", "search_next", "sort", "write_dir"};
constexpr int kLists = 5;  // list slots; slot kLists is always empty: the null list
constexpr int kNodes = 40; // node slots; -1 is the null node

// The comparison a search or a sort is given (see order()), or a null one.
enum Comparison { kNoComparison, kThreeWay, kReversed, kAlwaysZero, kAlwaysMax, kAlwaysMin };
// The request of a creation that is refused: the heap's first or second, or
// the allocator's.
enum Refusal { kNoRefusal, kFirstHeapRequest, kSecondHeapRequest, kAllocatorRefuses };
// A node by role in list 0, resolved when played; kForeign is list 1's first.
enum Role { kNull, kFirst, kSecond, kLast, kCurrent, kLoose, kForeign };

// An operation with its arguments, each field for one thing; as a move, it
// may name its node by role and grow its count or position with the list.
struct Step {
    Op op = NEW;
    int list = kLists;     // list slot
    int node = -1;         // node slot
    int32_t size = 0;      // new: bytes per element
    int32_t element = 0;   // get_data: what the caller then writes through the pointer
    int32_t position = 0;  // insert: after or before the cursor; get_pos: which node
    int32_t count = 0;     // move_current
    int32_t direction = 0; // search, and what write_dir writes into `search_dir`
    int32_t key = 0;       // search, search_next
    Callbacks callbacks = kNoCallbacks;
    Comparison comparison = kNoComparison;
    Refusal refusal = kNoRefusal;
    Role role = kNull;
    int32_t plus_nodes = 0;     // the count or position grows by this many node counts
    bool then_add = false;      // node_new: the new node is then added to its list
    const Step *look = nullptr; // what each callback of the step plays on its own list
};
// A step with the handles of its slots, taken before the model plays it, as
// it may let them go: what the library is given.
struct Bound {
    Step step;
    ko_list *list;
    ko_list_node *node;
};
// A callback's look at the list it was called for, resolved at each call.
const Step kLooks[] = {
    {.op = NEXT}, {.op = PREV}, {.op = FIRST}, {.op = TAIL}, {.op = CURRENT}, {.op = GET_NODES},
    {.op = SET_CURRENT, .role = kLast}, {.op = MOVE, .count = -1}, {.op = MOVE, .count = 2},
    {.op = GET_POS, .position = -2, .plus_nodes = 1}, {.op = NODE_POS, .role = kSecond},
    {.op = NODE_PREV, .role = kCurrent}, {.op = NODE_NEXT, .role = kFirst}};
// Every operation with boundary arguments, on lists 0, 1 and null, on a node in
// each role; searches matching 2, 1, 0 or all nodes; each look, calling back.
const std::vector<Step> kAlphabet = [] {
    const int32_t forward = KO_LIST_SEARCH_FORWARD;
    const int32_t backward = KO_LIST_SEARCH_BACKWARD;
    std::vector<Step> moves = {
        {.op = NODE_NEW, .list = 0, .then_add = true}, // first: walks grow their lists with it
        {.op = NEW, .size = 1, .callbacks = kAllocatorAndReleaser}, {.op = NEW},
        {.op = NEW, .size = INT32_MIN}, {.op = NEW, .size = 1, .refusal = kFirstHeapRequest},
        {.op = NODE_NEW, .list = 0}, {.op = NODE_NEW},
        {.op = NODE_NEW, .list = 0, .refusal = kFirstHeapRequest},
        {.op = NODE_NEW, .list = 0, .refusal = kSecondHeapRequest},
        {.op = NODE_NEW, .list = 0, .refusal = kAllocatorRefuses},
        {.op = GET_DATA, .element = 3, .role = kFirst}, {.op = ADD, .list = 1, .role = kLoose},
        {.op = ADD, .list = kLists, .role = kLoose}, {.op = ADD, .list = 0},
        {.op = INSERT, .list = 0, .position = KO_LIST_INSERT_BEFORE, .role = kLoose},
        {.op = INSERT, .list = 0, .position = 2, .role = kLoose},
        {.op = INSERT, .list = 0, .position = -1, .role = kLoose},
        {.op = INSERT, .list = 1, .role = kLoose}, {.op = INSERT, .list = kLists, .role = kLoose},
        {.op = FREE, .list = 1}, {.op = SET_CURRENT, .list = kLists, .role = kFirst},
        {.op = NODE_POS, .list = 1, .role = kFirst},
        {.op = NODE_POS, .list = kLists, .role = kFirst},
        {.op = MOVE, .list = kLists, .count = 1}, {.op = MOVE, .list = 0, .plus_nodes = 1},
        {.op = MOVE, .list = 0, .plus_nodes = -1},
        {.op = GET_POS, .list = 0, .position = -1, .plus_nodes = 1},
        {.op = GET_POS, .list = 0, .position = -2, .plus_nodes = 1},
        {.op = GET_POS, .list = 0, .plus_nodes = 1},
        {.op = SEARCH, .list = 0, .direction = forward, .key = 2, .comparison = kThreeWay},
        {.op = SEARCH, .list = 0, .direction = backward, .key = 1, .comparison = kThreeWay},
        {.op = SEARCH, .list = 0, .direction = forward, .key = 7, .comparison = kThreeWay},
        {.op = SEARCH, .list = 0, .direction = backward, .comparison = kAlwaysZero},
        {.op = SEARCH, .list = 0, .direction = KO_LIST_SEARCH_DONE, .comparison = kThreeWay},
        {.op = SEARCH, .list = 0, .direction = -1, .comparison = kThreeWay},
        {.op = SEARCH, .list = 0}, {.op = SEARCH, .comparison = kThreeWay},
        {.op = SEARCH_NEXT, .list = 0, .key = 2, .comparison = kThreeWay},
        {.op = SEARCH_NEXT, .list = 0, .comparison = kAlwaysZero}, {.op = SEARCH_NEXT, .list = 0},
        {.op = SEARCH_NEXT, .comparison = kThreeWay}, {.op = SORT, .comparison = kThreeWay},
        {.op = WRITE_DIR, .list = 0, .direction = -1}, {.op = WRITE_DIR, .list = 0, .direction = 7},
    };
    const Step calling[] = {
        {.op = NODE_NEW, .list = 0, .then_add = true}, {.op = NODE_FREE, .list = 0, .role = kFirst},
        {.op = REMOVE, .list = 0}, {.op = CLEAN, .list = 0}, {.op = FREE, .list = 0},
        {.op = SEARCH, .list = 0, .direction = forward, .key = 2, .comparison = kThreeWay},
        {.op = SEARCH_NEXT, .list = 0, .comparison = kAlwaysZero},
        {.op = SORT, .list = 0, .comparison = kThreeWay}};
    // clang-format on
    for (Role role : {kFirst, kSecond, kLast, kCurrent, kLoose, kForeign, kNull})
        for (Op op : {GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, SET_CURRENT, NODE_POS,
                      NODE_PREV, NODE_NEXT})
            moves.push_back({.op = op, .list = 0, .role = role});
    for (int l : {0, kLists})
        for (Op op : {GET_NODES, REMOVE, CLEAN, FREE, FIRST, TAIL, NEXT, PREV, CURRENT})
            moves.push_back({.op = op, .list = l});
    for (int32_t count : {-1, 1, INT32_MIN, INT32_MAX})
        moves.push_back({.op = MOVE, .list = 0, .count = count});
    for (int32_t position : {-1, 0, 1})
        moves.push_back({.op = GET_POS, .list = 0, .position = position});
    for (Comparison c : {kNoComparison, kThreeWay, kReversed, kAlwaysMax, kAlwaysMin})
        moves.push_back({.op = SORT, .list = 0, .comparison = c});
    for (size_t i = 0; i < std::size(kLooks); i++) {
        moves.push_back(calling[i % std::size(calling)]);
        moves.back().look = &kLooks[i];
    }
    return moves;
}();

struct Outcome { // what a step or a look gave, or is to give
    void *handle = nullptr;
    int32_t status = 0;
    bool operator==(const Outcome &) const = default;
};

// A call seen during a step: a 'c'omparison (a, b), an 'a'llocator (size) or
// 'f' releaser call (a) with what its look read, a heap block 'm'ade or 'x'.
struct Call {
    char kind;
    const void *a = nullptr, *b = nullptr;
    size_t size = 0;
    Outcome read = {};
    bool operator==(const Call &) const = default;
};
// In static storage: logging must not allocate while the heap is watched.
std::array<Call, 1024> calls; // a sort of 40 nodes compares 780 times
size_t call_count;
Comparison step_comparison;     // the step's, for cmp_cb()
bool refusing;                  // the allocator callback returns null
constexpr uint8_t kFill = 0xA5; // what the allocator callback leaves in new data

void log_call(Call call)
{
    calls.at(call_count++) = call;
}

Outcome run(const Bound &b) // the library's side of a step of apply()'s middle group
{
    // clang-format off
    switch (b.step.op) {
    case GET_DATA: return {ko_list_node_get_data(b.node)};
    case ATTACH: return {nullptr, ko_list_node_attach(b.node)};
    case ADD: return {nullptr, ko_list_add(b.list, b.node)};
    case INSERT: return {nullptr, ko_list_insert(b.list, b.node, b.step.position)};
    case DETACH: return {nullptr, ko_list_node_detach(b.node)};
    case NODE_FREE: ko_list_node_free(b.node); return {};
    case REMOVE: ko_list_remove(b.list); return {};
    case CLEAN: ko_list_clean(b.list); return {};
    case GET_NODES: return {nullptr, ko_list_get_nodes(b.list)};
    case FIRST: return {ko_list_get_first(b.list)};
    case TAIL: return {ko_list_get_tail(b.list)};
    case NEXT: return {ko_list_get_next(b.list)};
    case PREV: return {ko_list_get_prev(b.list)};
    case CURRENT: return {ko_list_get_current(b.list)};
    case SET_CURRENT: return {nullptr, ko_list_set_current(b.list, b.node)};
    case MOVE: return {nullptr, ko_list_move_current(b.list, b.step.count)};
    case GET_POS: return {ko_list_get_pos(b.list, b.step.position)};
    case NODE_POS: return {nullptr, ko_list_get_node_pos(b.list, b.node)};
    case NODE_PREV: return {ko_list_node_get_prev(b.node)};
    default: return {ko_list_node_get_next(b.node)};
    }
    // clang-format on
}

// The looks the model played for the step's callbacks, replayed in turn.
std::array<Bound, 1024> looks;
size_t looks_played, looks_replayed;
Outcome replay_look()
{
    return looks_replayed < looks_played ? run(looks[looks_replayed++]) : Outcome{};
}

// By the elements' first byte, signed.
int32_t order(Comparison comparison, const void *a, const void *b)
{
    const int32_t x = *static_cast<const int8_t *>(a);
    const int32_t y = *static_cast<const int8_t *>(b);
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[comparison];
}
int32_t cmp_cb(const void *a, const void *b)
{
    log_call({'c', a, b, 0, replay_look()});
    return order(step_comparison, a, b);
}
void *alloc_cb(int32_t size)
{
    log_call({'a', nullptr, nullptr, static_cast<size_t>(size), replay_look()});
    void *data = refusing ? nullptr : std::malloc(static_cast<size_t>(size));
    return data != nullptr ? std::memset(data, kFill, static_cast<size_t>(size)) : nullptr;
}

struct ListModel {
    ko_list *handle = nullptr; // null for a free slot
    int32_t size = 0;
    ko_list_alloc_fn alloc = nullptr;
    ko_list_free_fn release = nullptr;
    std::vector<int> chain = {}; // node slots, first to tail
    int current = -1;
    int search_node = -1;
    int32_t search_dir = KO_LIST_SEARCH_FORWARD;

    int at(size_t i) const { return i < chain.size() ? chain[i] : -1; }
    int last() const { return chain.empty() ? -1 : chain.back(); }
    // The node's position; the chain's length when the node is not in it.
    int place(int id) const
    {
        return static_cast<int>(std::ranges::find(chain, id) - chain.begin());
    }
    bool operator==(const ListModel &) const = default;
};
struct NodeModel {
    ko_list_node *handle = nullptr; // null for a free slot
    int list = -1;
    bool linked = false;
    void *data = nullptr;              // the data pointer the node holds
    std::array<uint8_t, 4> bytes = {}; // and what it points to (elements have 1 or 4 here)
    bool operator==(const NodeModel &) const = default;
};
struct Models { // what the model knows of every list and node
    ListModel lists[kLists + 1];
    NodeModel nodes[kNodes];
    bool operator==(const Models &) const = default;
};
int32_t free_cb(void *data)
{
    log_call({'f', data, nullptr, 0, replay_look()});
    std::free(data);
    return -1; // ignored
}

auto fields(const ko_list &r)
{
    return std::tie(r.first, r.tail, r.current, r.search_node, r.spare, r.data_alloc, r.data_free,
                    r.data_size, r.search_dir, r.nodes);
}
auto fields(const ko_list_node &r)
{
    return std::tie(r.list, r.prev, r.next, r.attached, r.data);
}

struct State : Models {
    explicit State(HeapHooks heap) : hooks(heap) { history.reserve(64); }

    HeapHooks hooks;
    std::vector<std::pair<Step, Outcome>> history;
    int slots_used = 0; // node slots ever filled: the others are free
    Outcome got, want;
    std::vector<Call> want_calls;
    const Step *look = nullptr; // the step's
    std::string error;

    ko_list_node *handle(int id) const { return id >= 0 ? nodes[id].handle : nullptr; }
    ListModel &owner(int id) { return lists[nodes[id].list]; }
    static int along(int32_t dir) { return dir == KO_LIST_SEARCH_FORWARD ? 1 : -1; }
    int beside(int id, int towards) const // toward the tail (1) or the first node (-1)
    {
        if (id < 0 || !nodes[id].linked)
            return -1;
        const ListModel &m = lists[nodes[id].list];
        return m.place(id) + towards < 0 ? -1 : m.at(static_cast<size_t>(m.place(id) + towards));
    }
    void expect(Call call) { want_calls.push_back(call); }
    void expect_heap(char kind, const void *block, size_t size = 0)
    {
        if (hooks.watched)
            expect({kind, block, nullptr, size});
    }
    Bound bind(const Step &s) const { return {s, lists[s.list].handle, handle(s.node)}; }
    // A callback for list `l`, with what the step's look reads there now.
    Call called(int l, Call call)
    {
        if (look == nullptr)
            return call;
        Step s = *look;
        s.list = l;
        looks.at(looks_played) = bind(resolve(s));
        call.read = model(looks[looks_played++].step);
        return call;
    }

    int32_t link(int id, int at) // the first node linked also becomes current
    {
        ListModel &m = owner(id);
        m.current = m.chain.empty() ? id : m.current;
        m.chain.insert(m.chain.begin() + at, id);
        nodes[id].linked = true;
        return 0;
    }
    int32_t attach(int id)
    {
        return id < 0 || nodes[id].linked ? -1 : link(id, static_cast<int>(owner(id).chain.size()));
    }
    // After or before the cursor, or as the only node.
    int32_t insert(int l, int id, int32_t position)
    {
        const ListModel &m = lists[l];
        const bool after = position == KO_LIST_INSERT_AFTER;
        const bool known = after || position == KO_LIST_INSERT_BEFORE;
        if (id < 0 || nodes[id].linked || nodes[id].list != l)
            return -1;
        if (!m.chain.empty() && (m.current < 0 || !known))
            return -1;
        return link(id, m.chain.empty() ? 0 : m.place(m.current) + (after ? 1 : 0));
    }
    // Cursors on the node move on: current to its successor, search_node along the search.
    int32_t detach(int id)
    {
        if (id < 0 || !nodes[id].linked)
            return -1;
        ListModel &m = owner(id);
        m.current = m.current == id ? beside(id, 1) : m.current;
        m.search_node = m.search_node == id ? beside(id, along(m.search_dir)) : m.search_node;
        m.chain.erase(m.chain.begin() + m.place(id));
        nodes[id].linked = false;
        return 0;
    }
    void release(int id) // the data goes first, through the releaser if any
    {
        if (id < 0)
            return;
        detach(id);
        if (owner(id).release != nullptr)
            expect(called(nodes[id].list, {'f', nodes[id].data}));
        expect_heap('x', nodes[id].data);
        expect_heap('x', nodes[id].handle);
        nodes[id] = NodeModel{};
    }
    // The first match from node `id` on becomes the search cursor; none ends the search.
    ko_list_node *search_from(const Step &s, int id)
    {
        ListModel &m = lists[s.list];
        for (; id >= 0; id = beside(id, along(m.search_dir))) {
            expect(called(s.list, {'c', nodes[id].data, &s.key}));
            if (order(s.comparison, nodes[id].bytes.data(), &s.key) == 0) {
                m.search_node = id;
                return handle(id);
            }
        }
        m.search_dir = KO_LIST_SEARCH_DONE;
        return nullptr;
    }

    // The library's side of a step, with its refusals armed and its heap calls logged.
    template <class Apply> void library(const Step &s, Apply apply)
    {
        refusing = s.refusal == kAllocatorRefuses;
        hooks.watch([](char kind, const void *block, size_t size) {
            log_call({kind, block, nullptr, size});
        });
        hooks.refuse_nth(s.refusal == kFirstHeapRequest    ? 1
                         : s.refusal == kSecondHeapRequest ? 2
                                                           : 0);
        apply();
        hooks.refuse_nth(0);
        hooks.watch(nullptr);
        refusing = false;
    }

    // A list takes a heap block for its record; a node, one for its record, then its
    // data from the allocator or another heap block, else the record goes back.
    void create(const Step &s)
    {
        ListModel &m = lists[s.list];
        const bool both = s.callbacks == kAllocatorAndReleaser;
        const ko_list_alloc_fn allocator = both || s.callbacks == kAllocator ? alloc_cb : nullptr;
        const ko_list_free_fn releaser = both || s.callbacks == kReleaser ? free_cb : nullptr;
        const bool node = s.op == NODE_NEW;
        const bool asked = node ? m.handle != nullptr : s.size > 0; // for the record
        const bool record = asked && s.refusal != kFirstHeapRequest;
        const bool allocator_asked = node && record && m.alloc != nullptr;
        const bool heap_asked =
            node && record && !(allocator_asked && s.refusal == kAllocatorRefuses);
        const bool data = heap_asked && s.refusal != kSecondHeapRequest;
        const auto size = static_cast<size_t>(m.size);
        want.status = record && (!node || data);
        const Call allocation =
            allocator_asked ? called(s.list, {'a', nullptr, nullptr, size}) : Call{};
        library(s, [&] {
            if (node)
                got.handle = ko_list_node_new(m.handle);
            else
                got.handle = ko_list_new(s.size, this, allocator, releaser);
        });
        got.status = got.handle != nullptr;
        want.handle = want.status == 1 ? got.handle : nullptr; // known by its status
        // Where the heap put the record is learnt from the library, the rest checked.
        auto *made = static_cast<ko_list_node *>(got.handle);
        const void *block = want.status == 1 || call_count == 0 ? got.handle : calls[0].a;
        if (asked)
            expect_heap('m', record ? block : nullptr,
                        node ? sizeof(ko_list_node) : sizeof(ko_list));
        if (allocator_asked)
            expect(allocation);
        if (heap_asked)
            expect_heap('m', data && made != nullptr ? made->data : nullptr, size);
        if (node && record && !data)
            expect_heap('x', block);
        if (want.status == 1 && !node)
            m = {static_cast<ko_list *>(got.handle), s.size, allocator, releaser};
        if (want.status == 1 && node && made != nullptr) {
            nodes[s.node] = {made, s.list, false, made->data};
            slots_used = std::max(slots_used, s.node + 1);
            nodes[s.node].bytes.fill(m.alloc != nullptr ? kFill : 0);
        }
    }

    // The element is written through the pointer given, as a caller does.
    void write(const Step &s)
    {
        if (s.op != GET_DATA || s.node < 0 || got != want)
            return;
        const auto size = std::min(sizeof s.element, static_cast<size_t>(owner(s.node).size));
        std::memcpy(nodes[s.node].bytes.data(), &s.element, size);
        std::memcpy(got.handle, &s.element, size);
    }
    // A caller frees a list's unlinked nodes before the list.
    void free_list(const Step &s)
    {
        ListModel &m = lists[s.list];
        ko_list *const list = m.handle; // before the model lets it go
        std::vector<ko_list_node *> loose;
        for (int id = 0; id < kNodes; id++)
            if (nodes[id].handle != nullptr && nodes[id].list == s.list && !nodes[id].linked) {
                loose.push_back(nodes[id].handle);
                release(id);
            }
        model({.op = CLEAN, .list = s.list}); // as ko_list_free() cleans
        if (list != nullptr)
            expect_heap('x', list);
        m = ListModel{};
        library(s, [&] {
            std::ranges::for_each(loose, ko_list_node_free);
            ko_list_free(list);
        });
    }

    Outcome model(const Step &s)
    {
        ListModel &m = lists[s.list];
        const bool inside = s.position >= 0 && s.position < std::ssize(m.chain);
        const bool in_list = s.node >= 0 && nodes[s.node].list == s.list && nodes[s.node].linked;
        // clang-format off
        switch (s.op) {
        case GET_DATA: return {s.node >= 0 ? nodes[s.node].data : nullptr};
        case ATTACH: return {nullptr, attach(s.node)};
        case ADD: return {nullptr, m.handle != nullptr ? attach(s.node) : -1}; // to the node's list
        case INSERT: return {nullptr, insert(s.list, s.node, s.position)};
        case DETACH: return {nullptr, detach(s.node)};
        case NODE_FREE: release(s.node); return {};
        case REMOVE: release(m.current); return {};
        case CLEAN: while (!m.chain.empty()) release(m.chain.front()); return {}; // in order
        case GET_NODES: return {nullptr, static_cast<int32_t>(m.chain.size())};
        case FIRST: return {handle(m.current = m.at(0))};
        case TAIL: return {handle(m.current = m.last())};
        case NEXT: return {handle(m.current = beside(m.current, 1))}; // a null cursor stays null
        case PREV: return {handle(m.current = beside(m.current, -1))};
        case CURRENT: return {handle(m.current)};
        case SET_CURRENT: m.current = in_list ? s.node : m.current;
                          return {nullptr, in_list ? 0 : -1};
        case MOVE: return move(m, s.count);
        case GET_POS: m.current = inside ? m.at(static_cast<size_t>(s.position)) : m.current;
                      return {inside ? handle(m.current) : nullptr};
        case NODE_POS: return {nullptr, m.handle != nullptr && s.node >= 0 ? m.place(s.node) : -1};
        case NODE_PREV: return {handle(beside(s.node, -1))};
        default: return {handle(beside(s.node, 1))};
        }
        // clang-format on
    }
    static Outcome move(ListModel &m, int32_t count) // to an end at most; not from null
    {
        if (m.handle == nullptr || (count != 0 && m.current < 0))
            return {nullptr, -1};
        if (count != 0)
            m.current = m.at(static_cast<size_t>(std::clamp<int64_t>(
                m.place(m.current) + int64_t{count}, 0, std::ssize(m.chain) - 1)));
        return {};
    }

    void query(const Step &s)
    {
        ListModel &m = lists[s.list];
        const ko_list_cmp_fn cmp = s.comparison != kNoComparison ? cmp_cb : nullptr;
        const bool searchable = m.handle != nullptr && cmp != nullptr;
        const bool running =
            m.search_dir == KO_LIST_SEARCH_FORWARD || m.search_dir == KO_LIST_SEARCH_BACKWARD;
        switch (s.op) {
        case SEARCH:
            if (searchable &&
                (s.direction == KO_LIST_SEARCH_FORWARD || s.direction == KO_LIST_SEARCH_BACKWARD)) {
                m.search_dir = s.direction;
                want.handle =
                    search_from(s, s.direction == KO_LIST_SEARCH_FORWARD ? m.at(0) : m.last());
            }
            return library(
                s, [&] { got.handle = ko_list_search(m.handle, cmp, &s.key, s.direction); });
        case SEARCH_NEXT: // resumes one step past the search cursor; another state ends
            m.search_node =
                searchable && running ? beside(m.search_node, along(m.search_dir)) : m.search_node;
            want.handle = searchable && running ? search_from(s, m.search_node) : nullptr;
            m.search_dir = searchable && !running ? KO_LIST_SEARCH_DONE : m.search_dir;
            return library(s, [&] { got.handle = ko_list_search_next(m.handle, cmp, &s.key); });
        case SORT: // the exchange sort moves data pointers between nodes; the chain stays
            m.current = m.at(0);
            for (size_t j = 1; cmp != nullptr && j < m.chain.size(); j++)
                for (size_t i = 0; i < j; i++) {
                    NodeModel &x = nodes[m.chain[i]];
                    NodeModel &y = nodes[m.chain[j]];
                    expect(called(s.list, {'c', x.data, y.data}));
                    if (order(s.comparison, x.bytes.data(), y.bytes.data()) > 0) {
                        std::swap(x.data, y.data);
                        std::swap(x.bytes, y.bytes);
                    }
                }
            return library(s, [&] { got.status = ko_list_sort(m.handle, cmp); });
        default: // a caller writes the public record
            m.search_dir = m.handle != nullptr ? s.direction : m.search_dir;
            if (m.handle != nullptr)
                m.handle->search_dir = s.direction;
        }
    }

    ko_list list_record(int l) const // as the model has it
    {
        const ListModel &m = lists[l];
        // clang-format off
        return {handle(m.at(0)), handle(m.last()), handle(m.current), handle(m.search_node),
                const_cast<State *>(this), m.alloc, m.release, m.size, m.search_dir,
                static_cast<int32_t>(m.chain.size())};
        // clang-format on
    }
    // A node's record and element against the model's; "" when they agree.
    std::string node_difference(int id, int prev, int next) const
    {
        const NodeModel &m = nodes[id];
        const ko_list_node record = {lists[m.list].handle, handle(prev), handle(next), m.linked,
                                     m.data};
        const auto size = static_cast<size_t>(lists[m.list].size);
        if (fields(*m.handle) == fields(record) &&
            std::memcmp(m.handle->data, m.bytes.data(), size) == 0)
            return "";
        return "node " + std::to_string(id) + " or its element" + text(*m.handle) + "; model" +
               text(record);
    }

    // A node as its slot, another pointer as set or null.
    std::string shown(const void *p) const
    {
        const auto slot = std::ranges::find(nodes, p, &NodeModel::handle) - nodes;
        return p == nullptr ? " null" : slot < kNodes ? " node " + std::to_string(slot) : " set";
    }
    static std::string shown(int32_t v) { return " " + std::to_string(v); }
    template <class F>
    requires std::is_function_v<F>
    static std::string shown(F *f) { return f != nullptr ? " set" : " null"; }
    template <class Record> std::string text(const Record &r) const
    {
        std::string out;
        std::apply([&](const auto &...field) { ((out += shown(field)), ...); }, fields(r));
        return out;
    }
    std::string difference() const // "" when library and model agree
    {
        const std::span<const Call> seen(calls.data(), call_count);
        const auto [ours, theirs] = std::ranges::mismatch(seen, want_calls);
        if (got != want)
            return "result" + shown(got.status) + shown(got.handle) + "; model" +
                   shown(want.status) + shown(want.handle);
        if (ours != seen.end() || theirs != want_calls.end())
            return "call " + std::to_string(ours - seen.begin()) + " of " +
                   std::to_string(seen.size()) + "; model " + std::to_string(want_calls.size());
        for (int l = 0; l < kLists; l++) {
            const ko_list *r = lists[l].handle;
            if (r != nullptr && fields(*r) != fields(list_record(l)))
                return "list " + std::to_string(l) + text(*r) + "; model" + text(list_record(l));
        }
        std::string node; // linked nodes with their neighbours, then unlinked ones
        for (const ListModel &m : lists)
            for (size_t i = 0; i < m.chain.size() && node.empty(); i++)
                node = node_difference(m.chain[i], i > 0 ? m.chain[i - 1] : -1, m.at(i + 1));
        for (int id = 0; id < slots_used && node.empty(); id++)
            node =
                nodes[id].handle != nullptr && !nodes[id].linked ? node_difference(id, -1, -1) : "";
        return node;
    }

    bool apply(const Step &s)
    {
        got = want = Outcome{};
        want_calls.clear();
        call_count = looks_played = looks_replayed = 0;
        step_comparison = s.comparison;
        look = s.look;
        if (s.op <= NODE_NEW) {
            create(s);
        } else if (s.op == FREE) {
            free_list(s);
        } else if (s.op <= NODE_NEXT) {
            const Bound bound = bind(s);
            want = model(s);
            library(s, [&] { got = run(bound); });
            write(s);
        } else {
            query(s);
        }
        history.emplace_back(s, got);
        error = difference();
        return error.empty();
    }

    // The move's node, relative argument and creation slot, as they stand now.
    Step resolve(const Step &move) const
    {
        Step s = move;
        const auto loose = std::ranges::find_if(nodes, [](const NodeModel &m) {
            return m.handle != nullptr && m.list == 0 && !m.linked;
        });
        const ListModel &zero = lists[0];
        // clang-format off
        const int roles[] = {-1, zero.at(0), zero.at(1), zero.last(), zero.current,
                             static_cast<int>(loose - nodes), lists[1].at(0)};
        // clang-format on
        s.node = roles[move.role] < kNodes ? roles[move.role] : -1;
        const auto nodes_in_list = static_cast<int32_t>(lists[s.list].chain.size());
        s.count += move.plus_nodes * nodes_in_list;
        s.position += move.plus_nodes * nodes_in_list;
        // Without the interposer the heap refuses nothing.
        s.refusal = hooks.watched || s.refusal == kAllocatorRefuses ? s.refusal : kNoRefusal;
        // A creation goes to the first free slot; with none, it is refused.
        const auto list_slot = std::ranges::find(lists, nullptr, &ListModel::handle) - lists;
        const auto node_slot = std::ranges::find(nodes, nullptr, &NodeModel::handle) - nodes;
        if (s.op == NEW) {
            s.list = static_cast<int>(list_slot);
            s.size = s.list == kLists && s.size > 0 ? -s.size : s.size;
        }
        if (s.op == NODE_NEW) {
            s.list = node_slot < kNodes ? s.list : kLists;
            s.node = node_slot < kNodes ? static_cast<int>(node_slot) : -1;
        }
        return s;
    }

    bool start(int length, int cursor, Callbacks callbacks)
    {
        bool agreed = apply({.op = NEW, .list = 0, .size = 4, .callbacks = callbacks});
        for (int n = 0; agreed && n < length; n++)
            agreed = make(0, n, n % 3 == 1 ? 1 : 2) && apply({.op = ADD, .list = 0, .node = n});
        if (cursor >= 0)
            agreed = agreed && apply({.op = SET_CURRENT, .list = 0, .node = cursor});
        else
            agreed = agreed && apply({.op = TAIL, .list = 0}) && apply({.op = NEXT, .list = 0});
        return agreed &&
               apply({.op = NEW, .list = 1, .size = 4, .callbacks = kAllocatorAndReleaser}) &&
               make(1, length, 2) && apply({.op = ADD, .list = 1, .node = length}) &&
               make(0, length + 1, 1);
    }
    bool make(int l, int id, int32_t element)
    {
        return apply({.op = NODE_NEW, .list = l, .node = id}) &&
               apply({.op = GET_DATA, .node = id, .element = element});
    }

    bool play(size_t move)
    {
        const Step step = resolve(kAlphabet[move]);
        return apply(step) &&
               (!step.then_add || apply({.op = ADD, .list = step.list, .node = step.node}));
    }

    // Frees every list as a caller does, once a node handle that cannot be
    // read, as a stale one may not be, is found not in its chain, unread.
    bool finish()
    {
        static auto *const fenced = static_cast<ko_list_node *>(
            mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        for (int l = 0; l < kLists; l++) {
            if (lists[l].handle == nullptr)
                continue;
            const int32_t at = ko_list_get_node_pos(lists[l].handle, fenced);
            if (at != std::ssize(lists[l].chain))
                error = "an unreadable node at " + std::to_string(at);
            if (!error.empty() || !apply({.op = FREE, .list = l}))
                return false;
        }
        return true;
    }

    // The steps played, with every argument not 0 or none, and what differed after the last.
    std::string report() const
    {
        const char *const callbacks[] = {"", "allocator", "releaser", "allocator and releaser"};
        const char *const comparisons[] = {"",         "three-way",        "reversed",
                                           "always 0", "always INT32_MAX", "always INT32_MIN"};
        const char *const refusals[] = {"", "heap's first", "heap's second", "allocator's"};
        const auto number = [](int32_t v) { return v != 0 ? std::to_string(v) : ""; };
        std::string text;
        for (size_t i = 0; i < history.size(); i++) {
            const auto &[s, result] = history[i];
            const std::pair<const char *, std::string> arguments[] = {
                {"list", s.list < kLists ? std::to_string(s.list) : "null"},
                {"node", s.node >= 0 ? std::to_string(s.node) : "null"},
                {"size", number(s.size)},
                {"element", number(s.element)},
                {"position", number(s.position)},
                {"count", number(s.count)},
                {"direction", number(s.direction)},
                {"key", number(s.key)},
                {"callbacks", callbacks[s.callbacks]},
                {"comparison", comparisons[s.comparison]},
                {"refused", refusals[s.refusal]},
                {"look", s.look != nullptr ? std::to_string(s.look - kLooks) : ""}};
            text += std::to_string(i) + " " + kNames[s.op] + ":";
            for (const auto &[name, value] : arguments)
                text += value.empty() ? "" : std::string(" ") + name + " " + value;
            text += " ->" + shown(result.status) + shown(result.handle) + "\n";
        }
        return text + error + "\n";
    }
};

} // namespace

// A move that leaves the model as it was ends its sequence early: everything
// was compared after it, and whatever follows would repeat a shorter sequence.
std::string every_sequence(int length, int cursor, Callbacks callbacks, int depth, HeapHooks hooks,
                           long &sequences)
{
    std::vector<size_t> moves(static_cast<size_t>(depth), 0);
    for (int d = depth; d >= 0;) {
        State s(hooks);
        bool agreed = s.start(length, cursor, callbacks);
        bool changed = true;
        for (d = 0; agreed && changed && d < depth; d++) {
            const Models before = s;
            agreed = s.play(moves[static_cast<size_t>(d)]);
            changed = !(before == s);
        }
        if (!(agreed && s.finish()))
            return s.report();
        sequences++;
        // The last move played changes like an odometer's digit; the rest start over.
        std::fill(moves.begin() + d, moves.end(), 0);
        for (d--; d >= 0 && ++moves[static_cast<size_t>(d)] == kAlphabet.size(); d--)
            moves[static_cast<size_t>(d)] = 0;
    }
    return "";
}

std::string walk(const uint8_t *at, const uint8_t *end, long limit, HeapHooks hooks)
{
    // A choice in [0, n), 0 < n <= 256, from one byte; 0 once they are spent.
    const auto pick = [&at, end](size_t n) { return at < end ? static_cast<int>(*at++ % n) : 0; };
    State s(hooks);
    const int length = pick(4);
    bool agreed =
        s.start(length, pick(static_cast<size_t>(length) + 1) - 1, static_cast<Callbacks>(pick(4)));
    // One move in four at least makes a node and adds it, so that lists grow.
    for (long i = 0; agreed && i < limit && at < end; i++)
        agreed = s.play(pick(4) == 0 ? 0 : static_cast<size_t>(pick(kAlphabet.size())));
    return agreed && s.finish() ? "" : s.report();
}

} // namespace checker
