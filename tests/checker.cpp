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

// A node by role in list 0, resolved when played; kForeign is list 1's first.
enum Role { kNone, kFirst, kSecond, kLast, kCurrent, kLoose, kForeign };

// An operation with its arguments; as a move, it may name its node by role.
struct Step {
    Op op = NEW;
    int l = kLists;  // list slot
    int n = -1;      // node slot
    int32_t a = 0;   // size, position, count, direction or element, as `op` takes
    int32_t key = 0; // the search key
    int mode = 0;    // the comparison (see order()), 0 for none; for new, the callbacks
    int refuse = 0;  // 1 or 2: that heap request of the step is refused; 3: the allocator's
    Role role = kNone;
    int scale = 0;     // the argument grows by `scale` times the list's node count
    bool link = false; // the new node is then added to its list
    int look = -1;     // what each callback of the step does with its list (kLooks); -1: nothing
    ko_list *list = nullptr;      // the handles of slots `l` and `n`, taken before the
    ko_list_node *node = nullptr; // model plays the step, as it may let them go
};
// A callback's look at the list it was called for, resolved at each call.
const Step kLooks[] = {
    {.op = NEXT}, {.op = PREV}, {.op = FIRST}, {.op = TAIL}, {.op = CURRENT}, {.op = GET_NODES},
    {.op = SET_CURRENT, .role = kLast}, {.op = MOVE, .a = -1}, {.op = MOVE, .a = 2},
    {.op = GET_POS, .a = -2, .scale = 1}, {.op = NODE_POS, .role = kSecond},
    {.op = NODE_PREV, .role = kCurrent}, {.op = NODE_NEXT, .role = kFirst}};
// Every operation with boundary arguments, on lists 0, 1 and null, on a node in
// each role; searches matching 2, 1, 0 or all nodes; each look, calling back.
const std::vector<Step> kAlphabet = [] {
    const int32_t forward = KO_LIST_SEARCH_FORWARD;
    const int32_t backward = KO_LIST_SEARCH_BACKWARD;
    std::vector<Step> moves = {
        {.op = NODE_NEW, .l = 0, .link = true}, // first: walks grow their lists with it
        {.op = NEW, .a = 1, .mode = 3}, {.op = NEW}, {.op = NEW, .a = INT32_MIN},
        {.op = NEW, .a = 1, .refuse = 1}, {.op = NODE_NEW, .l = 0}, {.op = NODE_NEW},
        {.op = NODE_NEW, .l = 0, .refuse = 1}, {.op = NODE_NEW, .l = 0, .refuse = 2},
        {.op = NODE_NEW, .l = 0, .refuse = 3}, {.op = GET_DATA, .a = 3, .role = kFirst},
        {.op = ADD, .l = 1, .role = kLoose}, {.op = ADD, .l = kLists, .role = kLoose},
        {.op = ADD, .l = 0}, {.op = INSERT, .l = 0, .a = KO_LIST_INSERT_BEFORE, .role = kLoose},
        {.op = INSERT, .l = 0, .a = 2, .role = kLoose},
        {.op = INSERT, .l = 0, .a = -1, .role = kLoose}, {.op = INSERT, .l = 1, .role = kLoose},
        {.op = INSERT, .l = kLists, .role = kLoose}, {.op = FREE, .l = 1},
        {.op = SET_CURRENT, .l = kLists, .role = kFirst}, {.op = NODE_POS, .l = 1, .role = kFirst},
        {.op = NODE_POS, .l = kLists, .role = kFirst}, {.op = MOVE, .l = kLists, .a = 1},
        {.op = MOVE, .l = 0, .scale = 1}, {.op = MOVE, .l = 0, .scale = -1},
        {.op = GET_POS, .l = 0, .a = -1, .scale = 1}, {.op = GET_POS, .l = 0, .a = -2, .scale = 1},
        {.op = GET_POS, .l = 0, .scale = 1},
        {.op = SEARCH, .l = 0, .a = forward, .key = 2, .mode = 1},
        {.op = SEARCH, .l = 0, .a = backward, .key = 1, .mode = 1},
        {.op = SEARCH, .l = 0, .a = forward, .key = 7, .mode = 1},
        {.op = SEARCH, .l = 0, .a = backward, .mode = 3},
        {.op = SEARCH, .l = 0, .a = KO_LIST_SEARCH_DONE, .mode = 1},
        {.op = SEARCH, .l = 0, .a = -1, .mode = 1}, {.op = SEARCH, .l = 0},
        {.op = SEARCH, .mode = 1}, {.op = SEARCH_NEXT, .l = 0, .key = 2, .mode = 1},
        {.op = SEARCH_NEXT, .l = 0, .mode = 3}, {.op = SEARCH_NEXT, .l = 0},
        {.op = SEARCH_NEXT, .mode = 1}, {.op = SORT, .mode = 1},
        {.op = WRITE_DIR, .l = 0, .a = -1}, {.op = WRITE_DIR, .l = 0, .a = 7},
    };
    const Step calling[] = {
        {.op = NODE_NEW, .l = 0, .link = true}, {.op = NODE_FREE, .l = 0, .role = kFirst},
        {.op = REMOVE, .l = 0}, {.op = CLEAN, .l = 0}, {.op = FREE, .l = 0},
        {.op = SEARCH, .l = 0, .a = forward, .key = 2, .mode = 1},
        {.op = SEARCH_NEXT, .l = 0, .mode = 3}, {.op = SORT, .l = 0, .mode = 1}};
    // clang-format on
    for (Role role : {kFirst, kSecond, kLast, kCurrent, kLoose, kForeign, kNone})
        for (Op op : {GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, SET_CURRENT, NODE_POS,
                      NODE_PREV, NODE_NEXT})
            moves.push_back({.op = op, .l = 0, .role = role});
    for (int l : {0, kLists})
        for (Op op : {GET_NODES, REMOVE, CLEAN, FREE, FIRST, TAIL, NEXT, PREV, CURRENT})
            moves.push_back({.op = op, .l = l});
    for (int32_t a : {-1, 1, INT32_MIN, INT32_MAX})
        moves.push_back({.op = MOVE, .l = 0, .a = a});
    for (int32_t a : {-1, 0, 1})
        moves.push_back({.op = GET_POS, .l = 0, .a = a});
    for (int mode : {0, 1, 2, 4, 5})
        moves.push_back({.op = SORT, .l = 0, .mode = mode});
    for (size_t i = 0; i < std::size(kLooks); i++) {
        moves.push_back(calling[i % std::size(calling)]);
        moves.back().look = static_cast<int>(i % std::size(kLooks));
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
int cmp_mode;                   // the comparison of the step, see order()
bool refusing;                  // the allocator callback returns null
constexpr uint8_t kFill = 0xA5; // what the allocator callback leaves in new data

void log_call(Call call)
{
    calls.at(call_count++) = call;
}

Outcome run(const Step &b) // the library's side of a step of apply()'s middle group
{
    // clang-format off
    switch (b.op) {
    case GET_DATA: return {ko_list_node_get_data(b.node)};
    case ATTACH: return {nullptr, ko_list_node_attach(b.node)};
    case ADD: return {nullptr, ko_list_add(b.list, b.node)};
    case INSERT: return {nullptr, ko_list_insert(b.list, b.node, b.a)};
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
    case MOVE: return {nullptr, ko_list_move_current(b.list, b.a)};
    case GET_POS: return {ko_list_get_pos(b.list, b.a)};
    case NODE_POS: return {nullptr, ko_list_get_node_pos(b.list, b.node)};
    case NODE_PREV: return {ko_list_node_get_prev(b.node)};
    default: return {ko_list_node_get_next(b.node)};
    }
    // clang-format on
}

// The looks the model played for the step's callbacks, replayed in turn.
std::array<Step, 1024> looks;
size_t looks_played, looks_replayed;
Outcome replay_look()
{
    return looks_replayed < looks_played ? run(looks[looks_replayed++]) : Outcome{};
}

// By the elements' first byte, signed: 1 three-way, 2 reversed, 3 always 0,
// 4 INT32_MAX, 5 INT32_MIN.
int32_t order(int mode, const void *a, const void *b)
{
    const int32_t x = *static_cast<const int8_t *>(a);
    const int32_t y = *static_cast<const int8_t *>(b);
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[mode];
}
int32_t cmp_cb(const void *a, const void *b)
{
    log_call({'c', a, b, 0, replay_look()});
    return order(cmp_mode, a, b);
}
void *alloc_cb(int32_t size)
{
    log_call({'a', nullptr, nullptr, static_cast<size_t>(size), replay_look()});
    void *data = refusing ? nullptr : std::malloc(static_cast<size_t>(size));
    return data != nullptr ? std::memset(data, kFill, static_cast<size_t>(size)) : nullptr;
}

struct ListModel {
    ko_list *h = nullptr; // null for a free slot
    int32_t size = 0;
    ko_list_alloc_fn alloc = nullptr;
    ko_list_free_fn release = nullptr;
    std::vector<int> chain = {}; // node slots, first to tail
    int current = -1;
    int found = -1; // search_node
    int32_t dir = KO_LIST_SEARCH_FORWARD;

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
    ko_list_node *h = nullptr; // null for a free slot
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
    int32_t key = 0;
    int look = -1; // the step's
    std::string error;

    ko_list_node *handle(int id) const { return id >= 0 ? nodes[id].h : nullptr; }
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
    Step bind(Step s) const
    {
        s.list = lists[s.l].h;
        s.node = handle(s.n);
        return s;
    }
    // A callback for list `l`, with what the step's look reads there now.
    Call called(int l, Call call)
    {
        if (look < 0)
            return call;
        Step s = kLooks[look];
        s.l = l;
        looks.at(looks_played) = bind(resolve(s));
        call.read = model(looks[looks_played++]);
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
        m.found = m.found == id ? beside(id, along(m.dir)) : m.found;
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
        expect_heap('x', nodes[id].h);
        nodes[id] = NodeModel{};
    }
    // The first match from node `id` on becomes the search cursor; none ends the search.
    ko_list_node *search_from(int l, int id, int mode)
    {
        ListModel &m = lists[l];
        for (; id >= 0; id = beside(id, along(m.dir))) {
            expect(called(l, {'c', nodes[id].data, &key}));
            if (order(mode, nodes[id].bytes.data(), &key) == 0) {
                m.found = id;
                return handle(id);
            }
        }
        m.dir = KO_LIST_SEARCH_DONE;
        return nullptr;
    }

    // The library's side of a step, with its refusals armed and its heap calls logged.
    template <class Apply> void library(const Step &s, Apply apply)
    {
        refusing = s.refuse == 3;
        hooks.watch([](char kind, const void *block, size_t size) {
            log_call({kind, block, nullptr, size});
        });
        hooks.refuse_nth(s.refuse == 1 || s.refuse == 2 ? s.refuse : 0);
        apply();
        hooks.refuse_nth(0);
        hooks.watch(nullptr);
        refusing = false;
    }

    // A list takes a heap block for its record; a node, one for its record, then its
    // data from the allocator or another heap block, else the record goes back.
    void create(const Step &s)
    {
        ListModel &m = lists[s.l];
        const ko_list_alloc_fn allocator = (s.mode & 1) != 0 ? alloc_cb : nullptr;
        const ko_list_free_fn releaser = (s.mode & 2) != 0 ? free_cb : nullptr;
        const bool node = s.op == NODE_NEW;
        const bool asked = node ? m.h != nullptr : s.a > 0; // for the record
        const bool record = asked && s.refuse != 1;
        const bool allocator_asked = node && record && m.alloc != nullptr;
        const bool heap_asked = node && record && !(allocator_asked && s.refuse == 3); // for data
        const bool data = heap_asked && s.refuse != 2;
        const auto size = static_cast<size_t>(m.size);
        want.status = record && (!node || data);
        const Call allocation =
            allocator_asked ? called(s.l, {'a', nullptr, nullptr, size}) : Call{};
        library(s, [&] {
            if (node)
                got.handle = ko_list_node_new(m.h);
            else
                got.handle = ko_list_new(s.a, this, allocator, releaser);
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
            m = {static_cast<ko_list *>(got.handle), s.a, allocator, releaser};
        if (want.status == 1 && node && made != nullptr) {
            nodes[s.n] = {made, s.l, false, made->data};
            slots_used = std::max(slots_used, s.n + 1);
            nodes[s.n].bytes.fill(m.alloc != nullptr ? kFill : 0);
        }
    }

    // The element is written through the pointer given, as a caller does.
    void write(const Step &s)
    {
        if (s.op != GET_DATA || s.n < 0 || got != want)
            return;
        const auto size = std::min(sizeof s.a, static_cast<size_t>(owner(s.n).size));
        std::memcpy(nodes[s.n].bytes.data(), &s.a, size);
        std::memcpy(got.handle, &s.a, size);
    }
    // A caller frees a list's unlinked nodes before the list.
    void free_list(const Step &s)
    {
        ListModel &m = lists[s.l];
        ko_list *const list = m.h; // before the model lets it go
        std::vector<ko_list_node *> loose;
        for (int id = 0; id < kNodes; id++)
            if (nodes[id].h != nullptr && nodes[id].list == s.l && !nodes[id].linked) {
                loose.push_back(nodes[id].h);
                release(id);
            }
        model({.op = CLEAN, .l = s.l}); // as ko_list_free() cleans
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
        ListModel &m = lists[s.l];
        const bool inside = s.a >= 0 && s.a < std::ssize(m.chain);
        const bool in_list = s.n >= 0 && nodes[s.n].list == s.l && nodes[s.n].linked;
        // clang-format off
        switch (s.op) {
        case GET_DATA: return {s.n >= 0 ? nodes[s.n].data : nullptr};
        case ATTACH: return {nullptr, attach(s.n)};
        case ADD: return {nullptr, m.h != nullptr ? attach(s.n) : -1}; // to the node's own list
        case INSERT: return {nullptr, insert(s.l, s.n, s.a)};
        case DETACH: return {nullptr, detach(s.n)};
        case NODE_FREE: release(s.n); return {};
        case REMOVE: release(m.current); return {};
        case CLEAN: while (!m.chain.empty()) release(m.chain.front()); return {}; // in order
        case GET_NODES: return {nullptr, static_cast<int32_t>(m.chain.size())};
        case FIRST: return {handle(m.current = m.at(0))};
        case TAIL: return {handle(m.current = m.last())};
        case NEXT: return {handle(m.current = beside(m.current, 1))}; // a null cursor stays null
        case PREV: return {handle(m.current = beside(m.current, -1))};
        case CURRENT: return {handle(m.current)};
        case SET_CURRENT: m.current = in_list ? s.n : m.current; return {nullptr, in_list ? 0 : -1};
        case MOVE: return move(m, s.a);
        case GET_POS: m.current = inside ? m.at(static_cast<size_t>(s.a)) : m.current; // or stays
                      return {inside ? handle(m.current) : nullptr};
        case NODE_POS: return {nullptr, m.h != nullptr && s.n >= 0 ? m.place(s.n) : -1};
        case NODE_PREV: return {handle(beside(s.n, -1))};
        default: return {handle(beside(s.n, 1))};
        }
        // clang-format on
    }
    static Outcome move(ListModel &m, int32_t count) // to an end at most; not from null
    {
        if (m.h == nullptr || (count != 0 && m.current < 0))
            return {nullptr, -1};
        if (count != 0)
            m.current = m.at(static_cast<size_t>(std::clamp<int64_t>(
                m.place(m.current) + int64_t{count}, 0, std::ssize(m.chain) - 1)));
        return {};
    }

    void query(const Step &s)
    {
        ListModel &m = lists[s.l];
        const ko_list_cmp_fn cmp = s.mode != 0 ? cmp_cb : nullptr;
        const bool searchable = m.h != nullptr && cmp != nullptr;
        const bool running = m.dir == KO_LIST_SEARCH_FORWARD || m.dir == KO_LIST_SEARCH_BACKWARD;
        switch (s.op) {
        case SEARCH:
            if (searchable && (s.a == KO_LIST_SEARCH_FORWARD || s.a == KO_LIST_SEARCH_BACKWARD)) {
                m.dir = s.a;
                want.handle =
                    search_from(s.l, s.a == KO_LIST_SEARCH_FORWARD ? m.at(0) : m.last(), s.mode);
            }
            return library(s, [&] { got.handle = ko_list_search(m.h, cmp, &key, s.a); });
        case SEARCH_NEXT: // resumes one step past the search cursor; another state ends
            m.found = searchable && running ? beside(m.found, along(m.dir)) : m.found;
            want.handle = searchable && running ? search_from(s.l, m.found, s.mode) : nullptr;
            m.dir = searchable && !running ? KO_LIST_SEARCH_DONE : m.dir;
            return library(s, [&] { got.handle = ko_list_search_next(m.h, cmp, &key); });
        case SORT: // the exchange sort moves data pointers between nodes; the chain stays
            m.current = m.at(0);
            for (size_t j = 1; cmp != nullptr && j < m.chain.size(); j++)
                for (size_t i = 0; i < j; i++) {
                    NodeModel &x = nodes[m.chain[i]];
                    NodeModel &y = nodes[m.chain[j]];
                    expect(called(s.l, {'c', x.data, y.data}));
                    if (order(s.mode, x.bytes.data(), y.bytes.data()) > 0) {
                        std::swap(x.data, y.data);
                        std::swap(x.bytes, y.bytes);
                    }
                }
            return library(s, [&] { got.status = ko_list_sort(m.h, cmp); });
        default: // a caller writes the public record
            m.dir = m.h != nullptr ? s.a : m.dir;
            if (m.h != nullptr)
                m.h->search_dir = s.a;
        }
    }

    ko_list list_record(int l) const // as the model has it
    {
        const ListModel &m = lists[l];
        // clang-format off
        return {handle(m.at(0)), handle(m.last()), handle(m.current), handle(m.found),
                const_cast<State *>(this), m.alloc, m.release, m.size, m.dir,
                static_cast<int32_t>(m.chain.size())};
        // clang-format on
    }
    // A node's record and element against the model's; "" when they agree.
    std::string node_difference(int id, int prev, int next) const
    {
        const NodeModel &m = nodes[id];
        const ko_list_node record = {lists[m.list].h, handle(prev), handle(next), m.linked, m.data};
        const auto size = static_cast<size_t>(lists[m.list].size);
        if (fields(*m.h) == fields(record) && std::memcmp(m.h->data, m.bytes.data(), size) == 0)
            return "";
        return "node " + std::to_string(id) + " or its element" + text(*m.h) + "; model" +
               text(record);
    }

    // A node as its slot, another pointer as set or null.
    std::string shown(const void *p) const
    {
        const auto slot = std::ranges::find(nodes, p, &NodeModel::h) - nodes;
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
            const ko_list *r = lists[l].h;
            if (r != nullptr && fields(*r) != fields(list_record(l)))
                return "list " + std::to_string(l) + text(*r) + "; model" + text(list_record(l));
        }
        std::string node; // linked nodes with their neighbours, then unlinked ones
        for (const ListModel &m : lists)
            for (size_t i = 0; i < m.chain.size() && node.empty(); i++)
                node = node_difference(m.chain[i], i > 0 ? m.chain[i - 1] : -1, m.at(i + 1));
        for (int id = 0; id < slots_used && node.empty(); id++)
            node = nodes[id].h != nullptr && !nodes[id].linked ? node_difference(id, -1, -1) : "";
        return node;
    }

    bool apply(const Step &s)
    {
        got = want = Outcome{};
        want_calls.clear();
        call_count = looks_played = looks_replayed = 0;
        cmp_mode = s.mode;
        key = s.key;
        look = s.look;
        if (s.op <= NODE_NEW) {
            create(s);
        } else if (s.op == FREE) {
            free_list(s);
        } else if (s.op <= NODE_NEXT) {
            const Step bound = bind(s);
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
        const auto loose = std::ranges::find_if(
            nodes, [](const NodeModel &m) { return m.h != nullptr && m.list == 0 && !m.linked; });
        const ListModel &zero = lists[0];
        // clang-format off
        const int roles[] = {-1, zero.at(0), zero.at(1), zero.last(), zero.current,
                             static_cast<int>(loose - nodes), lists[1].at(0)};
        // clang-format on
        s.n = roles[move.role] < kNodes ? roles[move.role] : -1;
        s.a += move.scale * static_cast<int32_t>(lists[s.l].chain.size());
        s.refuse = hooks.watched || s.refuse == 3 ? s.refuse : 0;
        // A creation goes to the first free slot; with none, it is refused.
        const auto list_slot = std::ranges::find(lists, nullptr, &ListModel::h) - lists;
        const auto node_slot = std::ranges::find(nodes, nullptr, &NodeModel::h) - nodes;
        if (s.op == NEW) {
            s.l = static_cast<int>(list_slot);
            s.a = s.l == kLists && s.a > 0 ? -s.a : s.a;
        }
        if (s.op == NODE_NEW) {
            s.l = node_slot < kNodes ? s.l : kLists;
            s.n = node_slot < kNodes ? static_cast<int>(node_slot) : -1;
        }
        return s;
    }

    bool start(int length, int cursor, int mode)
    {
        bool agreed = apply({.op = NEW, .l = 0, .a = 4, .mode = mode});
        for (int n = 0; agreed && n < length; n++)
            agreed = make(0, n, n % 3 == 1 ? 1 : 2) && apply({.op = ADD, .l = 0, .n = n});
        if (cursor >= 0)
            agreed = agreed && apply({.op = SET_CURRENT, .l = 0, .n = cursor});
        else
            agreed = agreed && apply({.op = TAIL, .l = 0}) && apply({.op = NEXT, .l = 0});
        return agreed && apply({.op = NEW, .l = 1, .a = 4, .mode = 3}) && make(1, length, 2) &&
               apply({.op = ADD, .l = 1, .n = length}) && make(0, length + 1, 1);
    }
    bool make(int l, int id, int32_t element)
    {
        return apply({.op = NODE_NEW, .l = l, .n = id}) &&
               apply({.op = GET_DATA, .n = id, .a = element});
    }

    bool play(size_t move)
    {
        const Step step = resolve(kAlphabet[move]);
        return apply(step) &&
               (!kAlphabet[move].link || apply({.op = ADD, .l = step.l, .n = step.n}));
    }

    // Frees every list as a caller does, once a node handle that cannot be
    // read, as a stale one may not be, is found not in its chain, unread.
    bool finish()
    {
        static auto *const fenced = static_cast<ko_list_node *>(
            mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        for (int l = 0; l < kLists; l++) {
            if (lists[l].h == nullptr)
                continue;
            const int32_t at = ko_list_get_node_pos(lists[l].h, fenced);
            if (at != std::ssize(lists[l].chain))
                error = "an unreadable node at " + std::to_string(at);
            if (!error.empty() || !apply({.op = FREE, .l = l}))
                return false;
        }
        return true;
    }

    std::string report() const // the steps played, and what differed after the last
    {
        std::string text = "step operation: list node a key mode refuse look -> result\n";
        for (size_t i = 0; i < history.size(); i++) {
            const auto &[step, result] = history[i];
            text += std::to_string(i) + " " + kNames[step.op] + ":";
            for (const int32_t v : {step.l < kLists ? step.l : -1, step.n, step.a, step.key,
                                    step.mode, step.refuse, step.look})
                text += " " + std::to_string(v);
            text += " ->" + shown(result.status) + shown(result.handle) + "\n";
        }
        return text + error + "\n";
    }
};

} // namespace

// A move that leaves the model as it was ends its sequence early: everything
// was compared after it, and whatever follows would repeat a shorter sequence.
std::string every_sequence(int length, int cursor, int mode, int depth, HeapHooks hooks,
                           long &sequences)
{
    std::vector<size_t> moves(static_cast<size_t>(depth), 0);
    for (int d = depth; d >= 0;) {
        State s(hooks);
        bool agreed = s.start(length, cursor, mode);
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
    bool agreed = s.start(length, pick(static_cast<size_t>(length) + 1) - 1, pick(4));
    // One move in four at least makes a node and adds it, so that lists grow.
    for (long i = 0; agreed && i < limit && at < end; i++)
        agreed = s.play(pick(4) == 0 ? 0 : static_cast<size_t>(pick(kAlphabet.size())));
    return agreed && s.finish() ? "" : s.report();
}

} // namespace checker
