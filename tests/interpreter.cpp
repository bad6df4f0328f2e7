// The reference model follows the behaviour the library promises (and the
// settled choices), not the library's code: a list is a vector of node slots
// with its cursors as slots; a node is its list, link state, data pointer and
// expected bytes. Each operation runs on the model first, then on the library.
#include "interpreter.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "koList.h"

namespace model {

uint32_t Source::pick(uint32_t n)
{
    if (bytes) { // one byte per choice, two when n > 256 (it is at most 65536 here)
        uint32_t v = 0;
        for (int i = n > 256 ? 2 : 1; i > 0; i--)
            v = v << 8 | (at < end ? *at++ : 0u);
        return v % n;
    }
    seed += 0x9E3779B97F4A7C15u; // splitmix64
    uint64_t z = seed;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return static_cast<uint32_t>((z ^ (z >> 31)) % n);
}

namespace {

// The operations by family, as apply() dispatches them, then two refusal
// events; each is drawn with a creation for it to refuse.
// clang-format off
enum Op {
    NEW, NODE_NEW, GET_DATA, GET_NODES, ATTACH, ADD, INSERT, DETACH, NODE_FREE, REMOVE, CLEAN, FREE,
    FIRST, TAIL, NEXT, PREV, CURRENT, SET_CURRENT, MOVE, GET_POS, NODE_POS, NODE_PREV, NODE_NEXT,
    SEARCH, SEARCH_NEXT, SORT, HEAP_REFUSAL, ALLOC_REFUSAL
};
// Integer arguments: sizes, positions, counts, directions, element values.
constexpr int32_t kValues[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, -2, -3, -12,
                               INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1};
// clang-format on
const char *const kNames[] = {
    "new",          "node_new", "get_data",     "get_nodes",     "attach",        "add",
    "insert",       "detach",   "node_free",    "remove",        "clean",         "free",
    "get_first",    "get_tail", "get_next",     "get_prev",      "get_current",   "set_current",
    "move_current", "get_pos",  "get_node_pos", "node_get_prev", "node_get_next", "search",
    "search_next",  "sort"};
// How often each is drawn: creations outweigh releases, so that lists grow.
constexpr uint32_t kWeights[] = {8,  32, 20, 4,  16, 24, 24, 8, 8, 3,  1,  1, 8,  8,
                                 12, 12, 4,  12, 16, 16, 12, 8, 8, 16, 24, 8, 12, 4};
constexpr uint32_t kWeightSum = std::accumulate(std::begin(kWeights), std::end(kWeights), 0u);
constexpr int kLists = 4;       // list slots; one more, always free, is the null list
constexpr int kNodes = 40;      // node slots; -1 stands for a null node, and for no node
constexpr uint8_t kFill = 0xA5; // what the allocator callback leaves in new data

// One callback call: a 'c'omparison (a, b), an 'a'llocation (size) or a 'f'ree (a).
struct Call {
    char kind;
    const void *a, *b;
    int32_t size;
    bool operator==(const Call &) const = default;
};
// The library's callback calls in one operation, in static storage: logging
// must not allocate while heap use is counted.
std::array<Call, 1024> calls; // a sort of 40 nodes compares 780 times
size_t call_count;
int cmp_mode;  // 1 three-way, 2 reversed, 3 always 0, 4 INT32_MAX, 5 INT32_MIN
bool refusing; // the allocator callback returns null

// Elements compare by their first byte, signed: every element has one.
int32_t order(int mode, const void *a, const void *b)
{
    const int32_t x = *static_cast<const int8_t *>(a);
    const int32_t y = *static_cast<const int8_t *>(b);
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[mode];
}
int32_t cmp_cb(const void *a, const void *b)
{
    calls.at(call_count++) = {'c', a, b, 0};
    return order(cmp_mode, a, b);
}
void *alloc_cb(int32_t size)
{
    calls.at(call_count++) = {'a', nullptr, nullptr, size};
    void *data = refusing ? nullptr : std::malloc(static_cast<size_t>(size));
    return data != nullptr ? std::memset(data, kFill, static_cast<size_t>(size)) : nullptr;
}
int32_t free_cb(void *data)
{
    calls.at(call_count++) = {'f', data, nullptr, 0};
    std::free(data);
    return -1; // ignored
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

    int end(bool first) const { return chain.empty() ? -1 : first ? chain.front() : chain.back(); }
    // The node's position; the chain's length when the node is not in it.
    int place(int id) const
    {
        return static_cast<int>(std::ranges::find(chain, id) - chain.begin());
    }
};
struct NodeModel {
    ko_list_node *h = nullptr; // null for a free slot
    int list = -1;
    bool linked = false;
    void *data = nullptr;            // the data pointer the node holds
    std::vector<uint8_t> bytes = {}; // and what it points to
};
// One operation as drawn.
struct Step {
    Op op = NEW;
    int l = kLists;            // list slot; kLists for a null list
    int n = -1;                // node slot; -1 for a null node
    int32_t a = 0;             // integer argument
    int32_t b = 0;             // search key
    int mode = 0;              // comparison mode, 0 for none; for new, 1: allocator, 2: releaser
    int refuse = 0;            // the heap allocation call to refuse, from 1; 0 for none
    bool refuse_alloc = false; // the allocator callback returns null

    // `a` as each operation takes it: mostly in range, the rest as drawn.
    int32_t size() const { return a > 0 ? 1 + (a - 1) % 16 : a; }
    // An insert position or a search direction: mostly 0 or 1, now and then 2.
    int32_t position() const { return a >= 3 && a < 12 ? a % 2 : a; }
    static int32_t element(int32_t v) { return v >= 0 && v < 12 ? v % 4 : v; }
};
// What an operation gave, or is to give.
struct Outcome {
    void *handle = nullptr;
    int32_t status = 0;
    long blocks = 0; // heap blocks gained
    long tries = 0;  // heap allocation calls
};

struct Interpreter {
    explicit Interpreter(HeapHooks heap) : hooks(heap) {}

    HeapHooks hooks;
    ListModel lists[kLists + 1];
    NodeModel nodes[kNodes];
    std::vector<std::pair<Step, Outcome>> history;
    Outcome got, want;
    std::vector<Call> want_calls;
    int32_t key = 0;
    std::string error;

    ko_list_node *handle(int id) const { return id >= 0 ? nodes[id].h : nullptr; }
    ListModel &owner(int id) { return lists[nodes[id].list]; }
    static int along(int32_t dir) { return dir == KO_LIST_SEARCH_FORWARD ? 1 : -1; }
    // The neighbour toward the tail (1) or the first node (-1); -1 past an
    // end, and for a null or unlinked node.
    int beside(int id, int towards) const
    {
        if (id < 0 || !nodes[id].linked)
            return -1;
        const std::vector<int> &chain = lists[nodes[id].list].chain;
        const int at = lists[nodes[id].list].place(id) + towards;
        return at >= 0 && at < std::ssize(chain) ? chain[static_cast<size_t>(at)] : -1;
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
    // After or before the cursor, or as the only node; on a non-empty list a
    // null cursor or another position refuses.
    int32_t insert(int l, int id, int32_t position)
    {
        const ListModel &m = lists[l];
        const bool known = position == KO_LIST_INSERT_AFTER || position == KO_LIST_INSERT_BEFORE;
        if (id < 0 || nodes[id].linked || nodes[id].list != l)
            return -1;
        if (m.chain.empty())
            return link(id, 0);
        if (m.current < 0 || !known)
            return -1;
        return link(id, m.place(m.current) + (position == KO_LIST_INSERT_AFTER ? 1 : 0));
    }
    // Cursors on the node move: current to the successor, the search cursor
    // to the node the running search would examine next.
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
    void release(int id) // the node goes back with its data
    {
        if (id < 0)
            return;
        detach(id);
        if (owner(id).release != nullptr)
            want_calls.push_back({'f', nodes[id].data, nullptr, 0});
        want.blocks -= 2;
        nodes[id] = NodeModel{};
    }
    // Compares from node `id` on in the search direction; the first match
    // becomes the search cursor, running off the end ends the search.
    ko_list_node *walk(ListModel &m, int id, int mode)
    {
        for (; id >= 0; id = beside(id, along(m.dir))) {
            want_calls.push_back({'c', nodes[id].data, &key, 0});
            if (order(mode, nodes[id].bytes.data(), &key) == 0) {
                m.found = id;
                return handle(id);
            }
        }
        m.dir = KO_LIST_SEARCH_DONE;
        return nullptr;
    }

    // A node slot, or -1 for a null node: mostly one of list l in the link
    // state that the operation accepts, else any live node.
    int pick_node(Source &source, int l, bool linked)
    {
        const bool own = l < kLists && source.pick(4) != 0;
        int ids[kNodes];
        uint32_t count = 0;
        for (int id = 0; id < kNodes; id++) {
            const NodeModel &m = nodes[id];
            if (m.h != nullptr && (!own || (m.list == l && m.linked == linked)))
                ids[count++] = id;
        }
        const uint32_t r = source.pick(count + 1);
        return r < count ? ids[r] : -1;
    }
    Step draw(Source &source)
    {
        uint32_t r = source.pick(kWeightSum);
        int op = 0;
        for (; r >= kWeights[op]; op++)
            r -= kWeights[op];
        Step s;
        s.refuse_alloc = op == ALLOC_REFUSAL;
        if (op == HEAP_REFUSAL && hooks.refuse_nth != nullptr)
            s.refuse = 1 + static_cast<int>(source.pick(3));
        if (op >= HEAP_REFUSAL)
            op = s.refuse_alloc || source.pick(3) != 0 ? NODE_NEW : NEW;
        s.op = static_cast<Op>(op);
        s.l = std::max(0, static_cast<int>(source.pick(kLists + 4)) - 3); // list 0 half the time
        s.n = pick_node(source, s.l, op != ATTACH && op != ADD && op != INSERT);
        s.a = kValues[source.pick(std::size(kValues))];
        s.b = kValues[source.pick(std::size(kValues))];
        s.mode = static_cast<int>(source.pick(6));
        // A creation goes to the first free slot. With none, a list is asked
        // for with a refused size only, and a node for a null list.
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

    // The library's side of an operation: the refusals drawn for it are armed
    // around it alone, and its heap use is measured.
    template <class Apply> void library(const Step &s, Apply apply)
    {
        const auto count = [](long (*hook)()) { return hook != nullptr ? hook() : 0; };
        const long live = count(hooks.live);
        const long tries = count(hooks.attempts);
        refusing = s.refuse_alloc;
        if (s.refuse != 0)
            hooks.refuse_nth(s.refuse);
        apply();
        refusing = false;
        if (s.refuse != 0)
            hooks.refuse_nth(0);
        got.blocks = count(hooks.live) - live;
        got.tries = count(hooks.attempts) - tries;
    }

    // A list takes a heap block for its record. A node takes one for its
    // record, then its data from the allocator or another heap block; without
    // data the record goes back. The status is 1 when a record was made.
    void create(const Step &s)
    {
        ListModel &m = lists[s.l];
        const ko_list_alloc_fn allocator = (s.mode & 1) != 0 ? alloc_cb : nullptr;
        const ko_list_free_fn releaser = (s.mode & 2) != 0 ? free_cb : nullptr;
        const bool node = s.op == NODE_NEW;
        const bool record = node ? m.h != nullptr : s.size() > 0;    // the record is asked for
        const bool has_record = record && s.refuse != 1;             // and given
        const bool asked = node && has_record && m.alloc != nullptr; // the allocator is called
        const bool data = node && has_record && !(asked && s.refuse_alloc); // the heap, for data
        if (asked)
            want_calls.push_back({'a', nullptr, nullptr, m.size});
        want.tries = record + data;
        want.status = has_record && (!node || (data && s.refuse != 2));
        want.blocks = want.status * (node ? 2 : 1);
        library(s, [&] {
            if (node)
                got.handle = ko_list_node_new(m.h);
            else
                got.handle = ko_list_new(s.size(), this, allocator, releaser);
        });
        got.status = got.handle != nullptr;
        want.handle = want.status == 1 ? got.handle : nullptr; // known by its status
        auto *made = static_cast<ko_list_node *>(got.handle);
        const uint8_t fill = m.alloc != nullptr ? kFill : 0;
        if (want.status == 1 && !node)
            m = {static_cast<ko_list *>(got.handle), s.size(), allocator, releaser};
        // The data pointer of a new node is learnt from its record, as a caller does.
        if (want.status == 1 && node && made != nullptr)
            nodes[s.n] = {made, s.l, false, made->data,
                          std::vector<uint8_t>(static_cast<size_t>(m.size), fill)};
    }

    void store(const Step &s)
    {
        ListModel &m = lists[s.l];
        ko_list *const list = m.h; // the handles as drawn, before the model releases anything
        ko_list_node *const node = handle(s.n);
        const int32_t v = Step::element(s.a);
        std::vector<ko_list_node *> loose; // unlinked nodes, which a caller frees before the list
        switch (s.op) {
        case GET_DATA: // the element is written through the pointer given, as a caller does
            want.handle = node != nullptr ? nodes[s.n].data : nullptr;
            if (node != nullptr)
                std::memcpy(nodes[s.n].bytes.data(), &v,
                            std::min(sizeof v, nodes[s.n].bytes.size()));
            library(s, [&] { got.handle = ko_list_node_get_data(node); });
            if (node != nullptr && got.handle == want.handle) // a wrong one is not written through
                std::memcpy(got.handle, &v, std::min(sizeof v, nodes[s.n].bytes.size()));
            break;
        case GET_NODES:
            want.status = static_cast<int32_t>(m.chain.size());
            library(s, [&] { got.status = ko_list_get_nodes(list); });
            break;
        case ATTACH:
            want.status = attach(s.n);
            library(s, [&] { got.status = ko_list_node_attach(node); });
            break;
        case ADD: // the node joins its own list, whichever list is passed
            want.status = list != nullptr ? attach(s.n) : -1;
            library(s, [&] { got.status = ko_list_add(list, node); });
            break;
        case INSERT:
            want.status = insert(s.l, s.n, s.position());
            library(s, [&] { got.status = ko_list_insert(list, node, s.position()); });
            break;
        case DETACH:
            want.status = detach(s.n);
            library(s, [&] { got.status = ko_list_node_detach(node); });
            break;
        case NODE_FREE:
            release(s.n);
            library(s, [&] { ko_list_node_free(node); });
            break;
        case REMOVE:
            release(m.current);
            library(s, [&] { ko_list_remove(list); });
            break;
        case CLEAN:
            while (!m.chain.empty()) // first to last
                release(m.chain.front());
            library(s, [&] { ko_list_clean(list); });
            break;
        default:
            for (int id = 0; id < kNodes; id++)
                if (nodes[id].h != nullptr && nodes[id].list == s.l && !nodes[id].linked) {
                    loose.push_back(nodes[id].h);
                    release(id);
                }
            while (!m.chain.empty())
                release(m.chain.front());
            want.blocks -= list != nullptr ? 1 : 0;
            m = ListModel{};
            library(s, [&] {
                std::ranges::for_each(loose, ko_list_node_free);
                ko_list_free(list);
            });
        }
    }

    void cursor(const Step &s)
    {
        ListModel &m = lists[s.l];
        const bool inside = s.a >= 0 && s.a < std::ssize(m.chain);
        switch (s.op) {
        case FIRST:
        case TAIL:
            m.current = m.end(s.op == FIRST);
            want.handle = handle(m.current);
            library(s, [&] {
                got.handle = s.op == FIRST ? ko_list_get_first(m.h) : ko_list_get_tail(m.h);
            });
            break;
        case NEXT:
        case PREV: // a null cursor stays null
            m.current = beside(m.current, s.op == NEXT ? 1 : -1);
            want.handle = handle(m.current);
            library(s, [&] {
                got.handle = s.op == NEXT ? ko_list_get_next(m.h) : ko_list_get_prev(m.h);
            });
            break;
        case CURRENT:
            want.handle = handle(m.current);
            library(s, [&] { got.handle = ko_list_get_current(m.h); });
            break;
        case SET_CURRENT:
            want.status = s.n >= 0 && nodes[s.n].list == s.l && nodes[s.n].linked ? 0 : -1;
            m.current = want.status == 0 ? s.n : m.current;
            library(s, [&] { got.status = ko_list_set_current(m.h, handle(s.n)); });
            break;
        case MOVE: // stops at the end nodes; a null cursor refuses to move
            want.status = m.h != nullptr && (s.a == 0 || m.current >= 0) ? 0 : -1;
            if (want.status == 0 && s.a != 0)
                m.current = m.chain[static_cast<size_t>(std::clamp<int64_t>(
                    m.place(m.current) + int64_t{s.a}, 0, std::ssize(m.chain) - 1))];
            library(s, [&] { got.status = ko_list_move_current(m.h, s.a); });
            break;
        case GET_POS: // out of range, the cursor stays
            m.current = inside ? m.chain[static_cast<size_t>(s.a)] : m.current;
            want.handle = inside ? handle(m.current) : nullptr;
            library(s, [&] { got.handle = ko_list_get_pos(m.h, s.a); });
            break;
        case NODE_POS: // the chain's length for a node not in it
            want.status = m.h != nullptr && s.n >= 0 ? m.place(s.n) : -1;
            library(s, [&] { got.status = ko_list_get_node_pos(m.h, handle(s.n)); });
            break;
        case NODE_PREV:
            want.handle = handle(beside(s.n, -1));
            library(s, [&] { got.handle = ko_list_node_get_prev(handle(s.n)); });
            break;
        default:
            want.handle = handle(beside(s.n, 1));
            library(s, [&] { got.handle = ko_list_node_get_next(handle(s.n)); });
        }
    }

    void query(const Step &s)
    {
        ListModel &m = lists[s.l];
        const ko_list_cmp_fn cmp = s.mode != 0 ? cmp_cb : nullptr;
        const bool searchable = m.h != nullptr && cmp != nullptr;
        const int32_t dir = s.position();
        switch (s.op) {
        case SEARCH:
            if (searchable && (dir == KO_LIST_SEARCH_FORWARD || dir == KO_LIST_SEARCH_BACKWARD)) {
                m.dir = dir;
                want.handle = walk(m, m.end(dir == KO_LIST_SEARCH_FORWARD), s.mode);
            }
            library(s, [&] { got.handle = ko_list_search(m.h, cmp, &key, dir); });
            break;
        case SEARCH_NEXT: // resumes one step past the search cursor
            if (searchable && m.dir != KO_LIST_SEARCH_DONE) {
                m.found = beside(m.found, along(m.dir));
                want.handle = walk(m, m.found, s.mode);
            }
            library(s, [&] { got.handle = ko_list_search_next(m.h, cmp, &key); });
            break;
        default: // the exchange sort moves data pointers between nodes; the chain stays
            m.current = m.end(true);
            for (size_t j = 1; cmp != nullptr && j < m.chain.size(); j++)
                for (size_t i = 0; i < j; i++) {
                    NodeModel &x = nodes[m.chain[i]];
                    NodeModel &y = nodes[m.chain[j]];
                    want_calls.push_back({'c', x.data, y.data, 0});
                    if (order(s.mode, x.bytes.data(), y.bytes.data()) > 0) {
                        std::swap(x.data, y.data);
                        std::swap(x.bytes, y.bytes);
                    }
                }
            library(s, [&] { got.status = ko_list_sort(m.h, cmp); });
        }
    }

    // Applies `s` to the model and to the library; false on a divergence.
    bool apply(const Step &s)
    {
        got = Outcome{};
        want = Outcome{};
        want_calls.clear();
        call_count = 0;
        cmp_mode = s.mode;
        key = Step::element(s.b);
        if (s.op <= NODE_NEW)
            create(s);
        else if (s.op <= FREE)
            store(s);
        else if (s.op <= NODE_NEXT)
            cursor(s);
        else
            query(s);
        history.emplace_back(s, got);
        return agree();
    }

    // For a message: a node as its slot, another pointer as its address, null as -1.
    static int64_t shown(int64_t value) { return value; }
    int64_t shown(const void *p) const
    {
        const auto slot = std::ranges::find(nodes, p, &NodeModel::h) - nodes;
        if (p == nullptr)
            return -1;
        return slot < kNodes ? slot : static_cast<int64_t>(reinterpret_cast<intptr_t>(p));
    }
    // Describes the divergence unless the library's value equals the model's;
    // `slot` is the record's, -1 for none.
    template <class T, class U> bool same(const char *what, int slot, T library, U model)
    {
        if (library == model)
            return true;
        error = "operation " + std::to_string(history.size() - 1) + " (" +
                kNames[history.back().first.op] + "): " + what;
        error += slot >= 0 ? " " + std::to_string(slot) : "";
        error += ": library " + std::to_string(shown(library)) + ", model " +
                 std::to_string(shown(model));
        return false;
    }
    bool agree()
    {
        const Call *const first = calls.data();
        const Call *const last = first + call_count;
        const auto agreeing = std::mismatch(first, last, want_calls.begin(), want_calls.end());
        const bool counted = hooks.live != nullptr;
        bool ok = same("status", -1, got.status, want.status) &&
                  same("handle", -1, got.handle, want.handle) &&
                  same("callback calls", -1, last - first, std::ssize(want_calls)) &&
                  same("callback calls as expected", -1, agreeing.first - first,
                       std::ssize(want_calls)) &&
                  (!counted || same("heap blocks gained", -1, got.blocks, want.blocks)) &&
                  (!counted || same("heap allocation calls", -1, got.tries, want.tries));
        for (int l = 0; ok && l < kLists; l++) {
            const ListModel &m = lists[l];
            const ko_list *r = m.h;
            ok = r == nullptr ||
                 (same("first of list", l, r->first, handle(m.end(true))) &&
                  same("tail of list", l, r->tail, handle(m.end(false))) &&
                  same("current of list", l, r->current, handle(m.current)) &&
                  same("search_node of list", l, r->search_node, handle(m.found)) &&
                  same("spare of list", l, r->spare, this) &&
                  same("data_alloc of list as the model's", l, r->data_alloc == m.alloc, true) &&
                  same("data_free of list as the model's", l, r->data_free == m.release, true) &&
                  same("data_size of list", l, r->data_size, m.size) &&
                  same("search_dir of list", l, r->search_dir, m.dir) &&
                  same("nodes of list", l, r->nodes, std::ssize(m.chain)));
        }
        for (int id = 0; ok && id < kNodes; id++) {
            const NodeModel &m = nodes[id];
            const ko_list_node *r = m.h;
            ok = r == nullptr ||
                 (same("list of node", id, r->list, lists[m.list].h) &&
                  same("prev of node", id, r->prev, handle(beside(id, -1))) &&
                  same("next of node", id, r->next, handle(beside(id, 1))) &&
                  same("attached of node", id, r->attached, m.linked) &&
                  same("data of node", id, r->data, m.data) &&
                  same("data of node is set", id, r->data != nullptr, true) &&
                  same("data bytes of node as the model's", id,
                       std::memcmp(m.data, m.bytes.data(), m.bytes.size()) == 0, true));
        }
        return ok;
    }

    // The operations applied, one a line, and what differed after the last.
    std::string report() const
    {
        std::string text = "(list or node -1: a null handle)\n";
        for (size_t i = 0; i < history.size(); i++) {
            const auto &[s, r] = history[i];
            char line[160];
            std::snprintf(line, sizeof line,
                          "%5zu %-13s list %d node %d a=%d b=%d cmp=%d refuse heap call %d, "
                          "allocator %d -> %d %s\n",
                          i, kNames[s.op], s.l < kLists ? s.l : -1, s.n, s.a, s.b, s.mode, s.refuse,
                          s.refuse_alloc, r.status, r.handle != nullptr ? "handle" : "null");
            text += line;
        }
        return text + error + "\n";
    }
};

} // namespace

std::string run(Source source, long limit, HeapHooks hooks)
{
    Interpreter model(hooks);
    for (long i = 0; i < limit && !(source.bytes && source.at == source.end); i++)
        if (!model.apply(model.draw(source)))
            return model.report();
    for (int l = 0; l < kLists; l++) // the end of the run
        if (model.lists[l].h != nullptr && !model.apply({.op = FREE, .l = l}))
            return model.report();
    return {};
}

} // namespace model
