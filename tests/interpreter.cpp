// The reference model follows the behaviour the library promises (and the
// settled choices), not the library's code: a list is a vector of node ids
// with its cursors as ids; a node is its owner, link state, data pointer and
// expected bytes. Each operation runs on the model first, then on the library.
#include "interpreter.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <tuple>

#include "koList.h"

namespace model {

uint32_t Source::pick(uint32_t n)
{
    uint32_t v = 0;
    for (int i = n > 256 ? 2 : 1; bytes && i > 0; i--) // n is at most 65536 here
        v = v << 8 | (at < end ? *at++ : 0u);
    if (bytes)
        return v % n;
    uint64_t z = seed += 0x9E3779B97F4A7C15u; // splitmix64
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return static_cast<uint32_t>((z ^ (z >> 31)) % n);
}

namespace {

enum Op { NEW, NODE_NEW, GET_DATA, GET_NODES, ATTACH, ADD, INSERT, DETACH, NODE_FREE, REMOVE,
          CLEAN, FREE, FIRST, TAIL, NEXT, PREV, CURRENT, SET_CURRENT, MOVE, GET_POS, NODE_POS,
          NODE_PREV, NODE_NEXT, SEARCH, SEARCH_NEXT, SORT, HEAP_REFUSAL, ALLOC_REFUSAL };
const char *const kNames[] = {"new", "node_new", "get_data", "get_nodes", "attach", "add",
    "insert", "detach", "node_free", "remove", "clean", "free", "get_first", "get_tail",
    "get_next", "get_prev", "get_current", "set_current", "move_current", "get_pos",
    "get_node_pos", "node_get_prev", "node_get_next", "search", "search_next", "sort"};
// The weight of each operation when drawn, so that lists grow between their releases.
const uint8_t kWeights[] = {8, 32, 20, 4, 16, 24, 24, 8, 8, 3, 1, 1, 8, 8, 12, 12, 4, 12, 16,
                            16, 12, 8, 8, 16, 24, 8, 12, 4};
// Integer arguments: sizes, positions, counts, directions, element values.
const int32_t kValues[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, -2, -3, -12, INT32_MIN,
                           INT32_MIN + 1, INT32_MAX, INT32_MAX - 1};
constexpr int kLists = 4, kNodes = 40; // slots; list 0 is drawn half the time
constexpr uint8_t kFill = 0xA5;        // what the allocator callback leaves in new data

int32_t size_of(int32_t a) { return a > 0 ? 1 + (a - 1) % 16 : a; } // element size
int32_t small01(int32_t a) { return a >= 0 && a < 12 ? a % 2 : a; } // insert position, direction
int32_t datum(int32_t a) { return a >= 0 && a < 12 ? a % 4 : a; }   // element value, key

// Every callback call in order: 'c'omparison (a, b), 'f'ree (a) or 'a'llocation (size), in
// static storage so that logging never allocates (a sort of 40 nodes compares 780 times).
struct Call {
    char kind;
    const void *a, *b;
    int32_t size;
    bool operator==(const Call &) const = default;
};
std::array<Call, 1024> calls;
size_t call_count;
int cmp_mode;  // 1 three-way, 2 reversed, 3 always 0, 4 INT32_MAX, 5 INT32_MIN
bool refusing; // the allocator callback returns null

// An element's value for the comparisons is its first byte, signed; the
// interpreter writes up to 4 bytes of an int32_t value.
int32_t word(const void *data) { return *static_cast<const int8_t *>(data); }
int32_t order(int mode, int32_t x, int32_t y)
{
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[mode];
}
int32_t cmp_cb(const void *a, const void *b)
{
    calls.at(call_count++) = {'c', a, b, 0};
    return order(cmp_mode, word(a), word(b));
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

struct Interpreter {
    struct MList { // a list as the description promises it; chain: node ids, first to tail
        ko_list *h = nullptr;
        int32_t size = 0;
        bool alloc = false, release = false;
        std::vector<int> chain;
        int cur = -1, snode = -1, dir = KO_LIST_SEARCH_FORWARD;
    } lists[kLists];
    struct MNode { // a node: its list slot, link state, data pointer and expected bytes
        ko_list_node *h = nullptr;
        int list = -1;
        bool linked = false;
        void *data = nullptr;
        std::vector<uint8_t> bytes;
    } nodes[kNodes];
    HeapHooks hooks;
    std::vector<std::string> *lines = nullptr;
    std::string error;
    long ops = 0;
    int32_t key = 0;
    // One operation: what the library gave and what the model expects.
    void *got_p = nullptr;
    const void *want_p = nullptr;
    int32_t got_i = 0, want_i = 0;
    long got_blocks = 0, got_tries = 0, want_blocks = 0, want_tries = 0;
    std::vector<Call> want_calls;

    ko_list_node *handle(int id) const { return id < 0 ? nullptr : nodes[id].h; }
    size_t index(const MList &m, int id) const // the chain's length when not there
    {
        return size_t(std::find(m.chain.begin(), m.chain.end(), id) - m.chain.begin());
    }
    int beside(int id, int step) const // chain neighbour; -1 for none
    {
        const std::vector<int> &chain = lists[nodes[id].list].chain;
        size_t at = index(lists[nodes[id].list], id);
        if (!nodes[id].linked || (step < 0 && at == 0) || (step > 0 && at + 1 >= chain.size()))
            return -1;
        return chain[step < 0 ? at - 1 : at + 1];
    }
    int attach(int id)
    {
        if (id < 0 || nodes[id].linked)
            return -1;
        MList &m = lists[nodes[id].list];
        m.cur = m.chain.empty() ? id : m.cur;
        m.chain.push_back(id);
        return nodes[id].linked = true, 0;
    }
    int detach(int id)
    {
        if (id < 0 || !nodes[id].linked)
            return -1;
        MList &m = lists[nodes[id].list];
        int before = beside(id, -1), after = beside(id, 1);
        m.cur = m.cur == id ? after : m.cur;
        m.snode = m.snode != id ? m.snode : m.dir == KO_LIST_SEARCH_FORWARD ? after : before;
        m.chain.erase(m.chain.begin() + std::ptrdiff_t(index(m, id)));
        return nodes[id].linked = false, 0;
    }
    void release(int id)
    {
        if (id >= 0 && (detach(id), lists[nodes[id].list].release))
            want_calls.push_back({'f', nodes[id].data, nullptr, 0});
        if (id >= 0)
            want_blocks -= 2, nodes[id] = MNode{};
    }
    int walk(MList &m, int id, int dir, int c) // search from node id on; -1 ends the search
    {
        for (; id >= 0; id = beside(id, dir == KO_LIST_SEARCH_FORWARD ? 1 : -1)) {
            want_calls.push_back({'c', nodes[id].data, &key, 0});
            if (order(c, word(nodes[id].bytes.data()), word(&key)) == 0)
                return m.snode = id;
        }
        return m.dir = KO_LIST_SEARCH_DONE, -1;
    }

    int pick_node(Source &source, int l, bool linked) // -1: a null node
    {
        int ids[kNodes], count = 0;
        bool own = l < kLists && source.pick(4) != 0; // mostly of the list drawn, linked as asked
        for (int id = 0; id < kNodes; id++)
            if (nodes[id].h && (!own || (nodes[id].list == l && nodes[id].linked == linked)))
                ids[count++] = id;
        uint32_t r = source.pick(uint32_t(count) + 1);
        return r < uint32_t(count) ? ids[r] : -1;
    }
    bool step(Source &source)
    {
        uint32_t draw = source.pick(std::accumulate(std::begin(kWeights), std::end(kWeights), 0u));
        int op = 0;
        while (draw >= kWeights[op])
            draw -= kWeights[op++];
        bool refuse_alloc = op == ALLOC_REFUSAL;
        int refuse = op == HEAP_REFUSAL && hooks.refuse_nth ? 1 + int(source.pick(3)) : 0;
        if (op >= HEAP_REFUSAL) // a refusal event arms itself for a creation
            op = refuse_alloc || source.pick(3) != 0 ? NODE_NEW : NEW;
        int l = std::max(0, int(source.pick(kLists + 4)) - 3); // kLists: a null list
        int n = pick_node(source, l, op != ATTACH && op != ADD && op != INSERT);
        const auto values = uint32_t(std::size(kValues));
        int32_t a = kValues[source.pick(values)], b = kValues[source.pick(values)];
        return run(op, l, n, a, b, int(source.pick(6)), refuse, refuse_alloc);
    }

    // Operation `op` on list slot l and node n with integers a, b and
    // comparison c (0: none); `refuse` is the heap call to refuse, if any.
    bool run(int op, int l, int n, int32_t a, int32_t b, int c, int refuse, bool refuse_alloc)
    {
        int slot = -1; // the slot a new list or node goes to
        for (int i = (op == NEW ? kLists : op == NODE_NEW ? kNodes : 0) - 1; i >= 0; i--)
            slot = (op == NEW ? static_cast<void *>(lists[i].h) : nodes[i].h) ? slot : i;
        a = op == NEW && slot < 0 && a > 0 ? -a : a; // no room: only a refused size
        l = op == NODE_NEW && slot < 0 ? kLists : l; // no room: only a null list
        MList *ml = l < kLists && lists[l].h != nullptr ? &lists[l] : nullptr;
        MNode *mn = n >= 0 ? &nodes[n] : nullptr;
        ko_list *list = ml != nullptr ? ml->h : nullptr;
        ko_list_node *node = handle(n);
        ko_list_cmp_fn cmp = c != 0 ? cmp_cb : nullptr;
        static const int missing = 0; // stands for a record the library should have made
        auto made = [&]() -> const void * { return got_p != nullptr ? got_p : &missing; };
        key = datum(b), got_p = nullptr, want_p = nullptr, got_i = want_i = 0;
        want_blocks = want_tries = 0, want_calls.clear(), call_count = 0, cmp_mode = c;
        auto call = [&](auto library) { // the library's side, counting its heap calls
            long live = hooks.live ? hooks.live() : 0;
            long tries = hooks.attempts ? hooks.attempts() : 0;
            if (refusing = refuse_alloc, refuse != 0)
                hooks.refuse_nth(refuse);
            library();
            if (refusing = false, refuse != 0)
                hooks.refuse_nth(0);
            got_blocks = hooks.live ? hooks.live() - live : 0;
            got_tries = hooks.attempts ? hooks.attempts() - tries : 0;
        };
#define CALL(...) call([&] { __VA_ARGS__; })
        switch (op) {
        case NEW:
            CALL(got_p = ko_list_new(size_of(a), this, c & 1 ? alloc_cb : nullptr,
                                     c & 2 ? free_cb : nullptr));
            if (size_of(a) > 0 && (want_tries = 1, refuse != 1)) // else nothing is allocated
                want_blocks = 1, want_p = made(), lists[slot] = {static_cast<ko_list *>(got_p),
                                                      size_of(a), (c & 1) != 0, (c & 2) != 0, {}};
            break;
        case NODE_NEW:
            CALL(got_p = ko_list_node_new(list));
            if (ml == nullptr || (want_tries = 1, refuse == 1))
                break;
            if (ml->alloc)
                want_calls.push_back({'a', nullptr, nullptr, ml->size});
            if ((ml->alloc && refuse_alloc) || (want_tries = 2, refuse == 2))
                break; // the record goes back, the releaser is not called
            want_blocks = 2, want_p = made();
            if (auto *h = static_cast<ko_list_node *>(got_p)) // its data is learnt, like it
                nodes[slot] = {h, l, false, h->data, std::vector<uint8_t>(size_t(ml->size),
                                                                           ml->alloc ? kFill : 0)};
            break;
        case GET_DATA: {
            int32_t v = datum(a);
            size_t width = mn != nullptr ? std::min(sizeof v, mn->bytes.size()) : 0;
            if (mn != nullptr)
                want_p = mn->data, std::memcpy(mn->bytes.data(), &v, width);
            CALL(if ((got_p = ko_list_node_get_data(node))) std::memcpy(got_p, &v, width));
            break;
        }
        case GET_NODES:
            want_i = ml != nullptr ? int32_t(ml->chain.size()) : 0;
            CALL(got_i = ko_list_get_nodes(list));
            break;
        case ATTACH: want_i = attach(n), CALL(got_i = ko_list_node_attach(node)); break;
        case ADD:
            want_i = ml != nullptr && mn != nullptr ? attach(n) : -1;
            CALL(got_i = ko_list_add(list, node));
            break;
        case INSERT: {
            int32_t pos = small01(a);
            bool empty = ml != nullptr && ml->chain.empty(), around = pos == 0 || pos == 1;
            want_i = mn != nullptr && !mn->linked && ml != nullptr && mn->list == l &&
                     (empty || (ml->cur >= 0 && around)) ? 0 : -1;
            if (want_i == 0) {
                size_t at = empty ? 0 : index(*ml, ml->cur) + (pos == KO_LIST_INSERT_AFTER);
                ml->cur = empty ? n : ml->cur, mn->linked = true;
                ml->chain.insert(ml->chain.begin() + std::ptrdiff_t(at), n);
            }
            CALL(got_i = ko_list_insert(list, node, pos));
            break;
        }
        case DETACH: want_i = detach(n), CALL(got_i = ko_list_node_detach(node)); break;
        case NODE_FREE: release(n), CALL(ko_list_node_free(node)); break;
        case REMOVE: release(ml != nullptr ? ml->cur : -1), CALL(ko_list_remove(list)); break;
        case CLEAN:
        case FREE: { // the caller frees the list's unlinked nodes before the list
            ko_list_node *loose[kNodes];
            int count = 0;
            for (int id = 0; ml != nullptr && op == FREE && id < kNodes; id++)
                if (nodes[id].h != nullptr && nodes[id].list == l && !nodes[id].linked)
                    loose[count++] = nodes[id].h, release(id);
            while (ml != nullptr && !ml->chain.empty())
                release(ml->chain.front());
            if (ml != nullptr && op == FREE)
                *ml = MList{}, want_blocks--;
            CALL(for (int i = 0; i < count; i++) ko_list_node_free(loose[i]);
                 op == FREE ? ko_list_free(list) : ko_list_clean(list));
            break;
        }
        case FIRST:
        case TAIL:
            if (ml != nullptr)
                want_p = handle(ml->cur = ml->chain.empty() ? -1
                                          : op == FIRST    ? ml->chain.front()
                                                           : ml->chain.back());
            CALL(got_p = op == FIRST ? ko_list_get_first(list) : ko_list_get_tail(list));
            break;
        case NEXT:
        case PREV:
            if (ml != nullptr && ml->cur >= 0)
                want_p = handle(ml->cur = beside(ml->cur, op == NEXT ? 1 : -1));
            CALL(got_p = op == NEXT ? ko_list_get_next(list) : ko_list_get_prev(list));
            break;
        case CURRENT:
            want_p = ml != nullptr ? handle(ml->cur) : nullptr;
            CALL(got_p = ko_list_get_current(list));
            break;
        case SET_CURRENT:
            want_i = ml != nullptr && mn != nullptr && mn->list == l && mn->linked ? 0 : -1;
            if (want_i == 0)
                ml->cur = n;
            CALL(got_i = ko_list_set_current(list, node));
            break;
        case MOVE:
            want_i = ml != nullptr && (a == 0 || ml->cur >= 0) ? 0 : -1;
            if (want_i == 0 && a != 0) // clamped at the end nodes
                ml->cur = ml->chain[size_t(std::clamp<int64_t>(int64_t(index(*ml, ml->cur)) + a,
                                                               0, int64_t(ml->chain.size()) - 1))];
            CALL(got_i = ko_list_move_current(list, a));
            break;
        case GET_POS:
            if (ml != nullptr && a >= 0 && size_t(a) < ml->chain.size())
                want_p = handle(ml->cur = ml->chain[size_t(a)]);
            CALL(got_p = ko_list_get_pos(list, a));
            break;
        case NODE_POS: // the chain's length when the node is not in it (0 when empty)
            want_i = ml == nullptr || mn == nullptr ? -1 : int32_t(index(*ml, n));
            CALL(got_i = ko_list_get_node_pos(list, node));
            break;
        case NODE_PREV:
        case NODE_NEXT:
            want_p = mn != nullptr ? handle(beside(n, op == NODE_NEXT ? 1 : -1)) : nullptr;
            CALL(got_p = op == NODE_NEXT ? ko_list_node_get_next(node)
                                         : ko_list_node_get_prev(node));
            break;
        case SEARCH:
            if (ml != nullptr && c != 0 && (small01(a) == 0 || small01(a) == 1)) {
                int from = ml->chain.empty()  ? -1
                           : small01(a) == 0 ? ml->chain.front()
                                             : ml->chain.back();
                want_p = handle(walk(*ml, from, ml->dir = small01(a), c));
            }
            CALL(got_p = ko_list_search(list, cmp, &key, small01(a)));
            break;
        case SEARCH_NEXT:
            if (ml != nullptr && c != 0 && ml->dir != KO_LIST_SEARCH_DONE) { // step off the match
                ml->snode = ml->snode < 0 ? -1 : beside(ml->snode, ml->dir == 0 ? 1 : -1);
                want_p = handle(walk(*ml, ml->snode, ml->dir, c));
            }
            CALL(got_p = ko_list_search_next(list, cmp, &key));
            break;
        case SORT:
            if (ml != nullptr)
                ml->cur = ml->chain.empty() ? -1 : ml->chain.front();
            for (size_t j = 1; ml != nullptr && c != 0 && j < ml->chain.size(); j++)
                for (size_t i = 0; i < j; i++) {
                    MNode &x = nodes[ml->chain[i]], &y = nodes[ml->chain[j]];
                    want_calls.push_back({'c', x.data, y.data, 0});
                    if (order(c, word(x.bytes.data()), word(y.bytes.data())) > 0)
                        std::swap(x.data, y.data), std::swap(x.bytes, y.bytes);
                }
            CALL(got_i = ko_list_sort(list, cmp));
            break;
        }
#undef CALL
        if (lines != nullptr) {
            char line[160];
            std::snprintf(line, sizeof line, "%5ld %-13s L%d N%d a=%d b=%d cmp=%d%s%.*d -> %d %s",
                          ops, kNames[op], l, n, a, b, c,
                          refuse ? " heap refuses call " : refuse_alloc ? " allocator refuses" : "",
                          refuse ? 1 : 0, refuse, got_i, got_p != nullptr ? "ptr" : "null");
            lines->emplace_back(line);
        }
        return ops++, compare(op);
    }

    long shown(const void *p) const // a node pointer as its id: -1 null, -2 none of ours
    {
        for (int id = 0; id < kNodes; id++)
            if (p != nullptr && p == nodes[id].h)
                return id;
        return p == nullptr ? -1 : -2;
    }
    bool compare(int op)
    {
        char text[400];
        auto fail = [&](const char *what, long got = 0, long want = 0) {
            std::snprintf(text, sizeof text, "operation %ld (%s): %s (library %ld, model %ld)",
                          ops - 1, kNames[op], what, got, want);
            return error = text, false;
        };
        if (got_p != want_p)
            return fail("handle, as node id", shown(got_p), shown(want_p));
        if (got_i != want_i)
            return fail("result", got_i, want_i);
        if (hooks.live && got_blocks != want_blocks)
            return fail("change of live heap blocks", got_blocks, want_blocks);
        if (hooks.attempts && got_tries != want_tries)
            return fail("heap allocation calls", got_tries, want_tries);
        if (call_count != want_calls.size() ||
            !std::equal(want_calls.begin(), want_calls.end(), calls.begin()))
            return fail("callback calls", long(call_count), long(want_calls.size()));
        ko_list_node *prev[kNodes] = {}, *next[kNodes] = {};
        for (const MList &m : lists)
            for (size_t at = 1; at < m.chain.size(); at++) {
                prev[m.chain[at]] = handle(m.chain[at - 1]);
                next[m.chain[at - 1]] = handle(m.chain[at]);
            }
        for (int l = 0; l < kLists; l++) {
            const MList &m = lists[l];
            const ko_list want{handle(m.chain.empty() ? -1 : m.chain.front()),
                               handle(m.chain.empty() ? -1 : m.chain.back()), handle(m.cur),
                               handle(m.snode), this, m.alloc ? alloc_cb : nullptr,
                               m.release ? free_cb : nullptr, m.size, m.dir,
                               int32_t(m.chain.size())};
            auto fields = [](const ko_list &r) {
                return std::tie(r.first, r.tail, r.current, r.search_node, r.spare, r.data_alloc,
                                r.data_free, r.data_size, r.search_dir, r.nodes);
            };
            if (m.h == nullptr || fields(*m.h) == fields(want))
                continue;
            int at = 0;
            for (const ko_list *r : {const_cast<const ko_list *>(m.h), &want})
                at += std::snprintf(text + at, sizeof text / 2,
                                    "%s first %ld tail %ld current %ld search_node %ld nodes %d "
                                    "search_dir %d; ", at ? "model" : "library", shown(r->first),
                                    shown(r->tail), shown(r->current), shown(r->search_node),
                                    r->nodes, r->search_dir);
            return error = "operation " + std::to_string(ops - 1) + " (" + kNames[op] + "): list " +
                           std::to_string(l) + ": " + text, false;
        }
        for (long id = 0; id < kNodes; id++) {
            const MNode &m = nodes[id];
            if (m.h != nullptr &&
                (std::tie(m.h->list, m.h->prev, m.h->next, m.h->attached, m.h->data) !=
                     std::tuple(lists[m.list].h, prev[id], next[id], int32_t(m.linked), m.data) ||
                 m.data == nullptr || std::memcmp(m.data, m.bytes.data(), m.bytes.size()) != 0))
                return fail("record or data of node (library attached, prev as node id)", id,
                            m.h->attached * 100 + shown(m.h->prev));
        }
        return true;
    }
};

} // namespace

long run(Source &source, long limit, HeapHooks hooks, std::string &error,
         std::vector<std::string> *trace)
{
    Interpreter model;
    model.hooks = hooks, model.lines = trace;
    for (long op = 0; op < limit && !(source.bytes && source.at == source.end); op++)
        if (!model.step(source))
            return error = model.error, op;
    for (int l = 0; l < kLists; l++) // the end of the run
        if (model.lists[l].h != nullptr && !model.run(FREE, l, -1, 0, 0, 0, 0, false))
            return error = model.error, model.ops - 1;
    return -1;
}

} // namespace model
