// SPDX-License-Identifier: MIT
// The checker. Each step, and each callback's look at its own list, is played
// on the model, then on the library with the handles the model had for its slots.
#include "checker.hpp"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <tuple>

namespace checker {

namespace {

using namespace model;

// clang-format off
// A callback's look at the list it was called for, resolved at each call.
const Step kLooks[] = {
    {.op = NEXT}, {.op = PREV}, {.op = FIRST}, {.op = TAIL}, {.op = CURRENT}, {.op = GET_NODES},
    {.op = SET_CURRENT, .role = kLast}, {.op = MOVE, .count = -1}, {.op = MOVE, .count = 2},
    {.op = GET_POS, .position = -2, .plus_nodes = 1}, {.op = NODE_POS, .role = kSecond},
    {.op = NODE_PREV, .role = kCurrent}, {.op = NODE_NEXT, .role = kFirst}};
constexpr int32_t forward = KO_LIST_SEARCH_FORWARD, backward = KO_LIST_SEARCH_BACKWARD;
// Every operation with boundary arguments, on lists 0, 1 and null, on a node in
// each role; searches matching 2, 1, 0 or all nodes; each look, calling back.
// The first move makes a node and adds it: walks grow their lists with it.
const Step kMoves[] = {
    {.op = NODE_NEW, .then_add = true}, {.op = NEW, .size = 1, .callbacks = kAllocatorAndReleaser},
    {.op = NEW}, {.op = NEW, .size = INT32_MIN},
    {.op = NEW, .size = 1, .refusal = kFirstHeapRequest}, {.op = NODE_NEW},
    {.op = NODE_NEW, .list = kLists}, {.op = NODE_NEW, .refusal = kFirstHeapRequest},
    {.op = NODE_NEW, .refusal = kSecondHeapRequest}, {.op = NODE_NEW, .refusal = kAllocatorRefuses},
    {.op = GET_DATA, .element = 3, .role = kFirst}, {.op = ADD, .list = 1, .role = kLoose},
    {.op = ADD, .list = kLists, .role = kLoose}, {.op = ADD},
    {.op = INSERT, .position = KO_LIST_INSERT_BEFORE, .role = kLoose},
    {.op = INSERT, .position = 2, .role = kLoose}, {.op = INSERT, .position = -1, .role = kLoose},
    {.op = INSERT, .list = 1, .role = kLoose}, {.op = INSERT, .list = kLists, .role = kLoose},
    {.op = FREE, .list = 1}, {.op = SET_CURRENT, .list = kLists, .role = kFirst},
    {.op = NODE_POS, .list = 1, .role = kFirst}, {.op = NODE_POS, .list = kLists, .role = kFirst},
    {.op = MOVE, .list = kLists, .count = 1}, {.op = MOVE, .plus_nodes = 1},
    {.op = MOVE, .plus_nodes = -1}, {.op = GET_POS, .position = -1, .plus_nodes = 1},
    {.op = GET_POS, .position = -2, .plus_nodes = 1}, {.op = GET_POS, .plus_nodes = 1},
    {.op = SEARCH, .direction = forward, .key = 2, .comparison = kThreeWay},
    {.op = SEARCH, .direction = backward, .key = 1, .comparison = kThreeWay},
    {.op = SEARCH, .direction = forward, .key = 7, .comparison = kThreeWay},
    {.op = SEARCH, .direction = backward, .comparison = kAlwaysZero},
    {.op = SEARCH, .direction = KO_LIST_SEARCH_DONE, .comparison = kThreeWay},
    {.op = SEARCH, .direction = -1, .comparison = kThreeWay}, {.op = SEARCH},
    {.op = SEARCH, .list = kLists, .comparison = kThreeWay},
    {.op = SEARCH_NEXT, .key = 2, .comparison = kThreeWay},
    {.op = SEARCH_NEXT, .comparison = kAlwaysZero}, {.op = SEARCH_NEXT},
    {.op = SEARCH_NEXT, .list = kLists, .comparison = kThreeWay},
    {.op = SORT, .list = kLists, .comparison = kThreeWay}, {.op = WRITE_DIR, .direction = -1},
    {.op = WRITE_DIR, .direction = 7}};
const Step kCalling[] = { // the moves that play each look in turn, calling back
    {.op = NODE_NEW, .then_add = true}, {.op = NODE_FREE, .role = kFirst}, {.op = REMOVE},
    {.op = CLEAN}, {.op = FREE},
    {.op = SEARCH, .direction = forward, .key = 2, .comparison = kThreeWay},
    {.op = SEARCH_NEXT, .comparison = kAlwaysZero}, {.op = SORT, .comparison = kThreeWay}};
// clang-format on
const std::vector<Step> kAlphabet = [] {
    std::vector<Step> moves(std::begin(kMoves), std::end(kMoves));
    for (Role role : {kFirst, kSecond, kLast, kCurrent, kLoose, kForeign, kNull})
        for (Op op : {GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, SET_CURRENT, NODE_POS,
                      NODE_PREV, NODE_NEXT})
            moves.push_back({.op = op, .role = role});
    for (int l : {0, kLists})
        for (Op op : {GET_NODES, REMOVE, CLEAN, FREE, FIRST, TAIL, NEXT, PREV, CURRENT})
            moves.push_back({.op = op, .list = l});
    for (int32_t count : {-1, 1, INT32_MIN, INT32_MAX})
        moves.push_back({.op = MOVE, .count = count});
    for (int32_t position : {-1, 0, 1})
        moves.push_back({.op = GET_POS, .position = position});
    for (Comparison c : {kNoComparison, kThreeWay, kReversed, kAlwaysMax, kAlwaysMin})
        moves.push_back({.op = SORT, .comparison = c});
    for (size_t i = 0; i < std::size(kLooks); i++) {
        moves.push_back(kCalling[i % std::size(kCalling)]);
        moves.back().look = &kLooks[i];
    }
    return moves;
}();

// What the library did during a step, in static storage for the callbacks and
// the heap sink: logging must not allocate while the heap is watched.
std::array<Call, 1024> seen; // a sort of 40 nodes compares 780 times
size_t seen_count;
Comparison step_comparison;           // the step's, for compare()
bool allocator_refuses;               // allocate() returns null
std::span<const Bound> looks_to_play; // the model's looks, replayed by the callbacks in turn
size_t looks_played;
char spare; // its address is every new list's spare pointer

// The library's side of a step or of a look.
Outcome run(const Step &s, ko_list *list, ko_list_node *node);
Outcome play_look()
{
    if (looks_played == looks_to_play.size())
        return {};
    const Bound &look = looks_to_play[looks_played++];
    return run(look.step, look.list, look.node);
}
int32_t compare(const void *a, const void *b)
{
    seen.at(seen_count++) = {'c', a, b, 0, play_look()};
    return order(step_comparison, a, b);
}
void *allocate(int32_t size)
{
    seen.at(seen_count++) = {'a', nullptr, nullptr, static_cast<size_t>(size), play_look()};
    void *data = allocator_refuses ? nullptr : std::malloc(static_cast<size_t>(size));
    return data != nullptr ? std::memset(data, kFill, static_cast<size_t>(size)) : nullptr;
}
int32_t release(void *data)
{
    seen.at(seen_count++) = {'f', data, nullptr, 0, play_look()};
    std::free(data);
    return -1; // ignored
}

Outcome run(const Step &s, ko_list *list, ko_list_node *node)
{
    const ko_list_alloc_fn allocator = (s.callbacks & kAllocator) != 0 ? allocate : nullptr;
    const ko_list_free_fn releaser = (s.callbacks & kReleaser) != 0 ? release : nullptr;
    const ko_list_cmp_fn cmp = s.comparison != kNoComparison ? compare : nullptr;
    // clang-format off
    switch (s.op) {
    case NEW: return {ko_list_new(s.size, &spare, allocator, releaser)};
    case NODE_NEW: return {ko_list_node_new(list)};
    case FREE: ko_list_free(list); return {};
    case GET_DATA: return {ko_list_node_get_data(node)};
    case ATTACH: return {nullptr, ko_list_node_attach(node)};
    case ADD: return {nullptr, ko_list_add(list, node)};
    case INSERT: return {nullptr, ko_list_insert(list, node, s.position)};
    case DETACH: return {nullptr, ko_list_node_detach(node)};
    case NODE_FREE: ko_list_node_free(node); return {};
    case REMOVE: ko_list_remove(list); return {};
    case CLEAN: ko_list_clean(list); return {};
    case GET_NODES: return {nullptr, ko_list_get_nodes(list)};
    case FIRST: return {ko_list_get_first(list)};
    case TAIL: return {ko_list_get_tail(list)};
    case NEXT: return {ko_list_get_next(list)};
    case PREV: return {ko_list_get_prev(list)};
    case CURRENT: return {ko_list_get_current(list)};
    case SET_CURRENT: return {nullptr, ko_list_set_current(list, node)};
    case MOVE: return {nullptr, ko_list_move_current(list, s.count)};
    case GET_POS: return {ko_list_get_pos(list, s.position)};
    case NODE_POS: return {nullptr, ko_list_get_node_pos(list, node)};
    case NODE_PREV: return {ko_list_node_get_prev(node)};
    case NODE_NEXT: return {ko_list_node_get_next(node)};
    case SEARCH: return {ko_list_search(list, cmp, &s.key, s.direction)};
    case SEARCH_NEXT: return {ko_list_search_next(list, cmp, &s.key)};
    case SORT: return {nullptr, ko_list_sort(list, cmp)};
    default: // a caller writes the public record
        if (list != nullptr)
            list->search_dir = s.direction;
        return {};
    }
    // clang-format on
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

struct Checker {
    explicit Checker(HeapHooks heap) : model(heap.watched), hooks(heap) { history.reserve(64); }

    Model model;
    HeapHooks hooks;
    std::vector<std::pair<Step, Outcome>> history;
    Outcome got, want;
    std::string error;

    // Plays a step on the model, then on the library with its refusals armed and
    // its calls logged, and compares them.
    bool apply(const Step &s)
    {
        const Bound b = model.bind(s);     // before the model lets any handle go
        std::vector<ko_list_node *> loose; // a caller frees a list's unlinked nodes first
        for (int id = 0; s.op == FREE && id < kNodes; id++)
            if (model.nodes[id].loose_in(s.list))
                loose.push_back(model.nodes[id].handle);
        want = model.play(s);

        seen_count = looks_played = 0;
        looks_to_play = model.looks;
        step_comparison = s.comparison;
        allocator_refuses = s.refusal == kAllocatorRefuses;
        hooks.watch([](char kind, const void *block, size_t size) {
            seen.at(seen_count++) = {kind, block, nullptr, size};
        });
        const long heap_request[] = {0, 1, 2, 0}; // the one refused, counted from 1
        hooks.refuse_nth(heap_request[s.refusal]);
        std::ranges::for_each(loose, ko_list_node_free);
        got = run(s, b.list, b.node);
        hooks.refuse_nth(0);
        hooks.watch(nullptr);
        allocator_refuses = false;

        if (s.op == NEW || s.op == NODE_NEW) {
            got.status = got.handle != nullptr;
            const auto *made = s.op == NODE_NEW ? static_cast<ko_list_node *>(got.handle) : nullptr;
            want = model.create(s, got.handle, seen_count > 0 ? seen[0].pointer : nullptr,
                                made != nullptr ? made->data : nullptr);
        }
        if (s.op == GET_DATA && s.node >= 0 && got == want) // the caller writes its element
            std::memcpy(got.handle, &s.element, model.write(s.node, s.element));
        history.emplace_back(s, got);
        return (error = difference()).empty();
    }
    ko_list list_record(int l) const // as the model has it
    {
        const ListModel &m = model.lists[l];
        // clang-format off
        return {model.handle(m.at(0)), model.handle(m.last()), model.handle(m.current),
                model.handle(m.search_node), &spare,
                (m.callbacks & kAllocator) != 0 ? allocate : nullptr,
                (m.callbacks & kReleaser) != 0 ? release : nullptr, m.size, m.search_dir,
                static_cast<int32_t>(m.chain.size())};
        // clang-format on
    }
    // A node's record and element against the model's; "" when they agree.
    std::string node_difference(int id, int prev, int next) const
    {
        const NodeModel &m = model.nodes[id];
        const ListModel &l = model.lists[m.list];
        const ko_list_node r = {l.handle, model.handle(prev), model.handle(next), m.linked, m.data};
        if (fields(*m.handle) == fields(r) &&
            std::memcmp(m.handle->data, m.bytes.data(), static_cast<size_t>(l.size)) == 0)
            return "";
        return "node " + std::to_string(id) + " or its element" + text(*m.handle) + "; model" +
               text(r);
    }

    // A node as its slot, another pointer as set or null.
    std::string shown(const void *p) const
    {
        const auto slot = std::ranges::find(model.nodes, p, &NodeModel::handle) - model.nodes;
        return p == nullptr ? " null" : slot < kNodes ? " node " + std::to_string(slot) : " set";
    }
    static std::string shown(int32_t v) { return " " + std::to_string(v); }
    static std::string shown(ko_list_alloc_fn f) { return f != nullptr ? " set" : " null"; }
    static std::string shown(ko_list_free_fn f) { return f != nullptr ? " set" : " null"; }
    template <class Record> std::string text(const Record &r) const
    {
        return std::apply([&](const auto &...field) { return (shown(field) + ...); }, fields(r));
    }
    std::string difference() const // "" when library and model agree
    {
        const std::span<const Call> made(seen.data(), seen_count);
        const auto [library_call, model_call] = std::ranges::mismatch(made, model.calls);
        if (got != want)
            return "result" + shown(got.status) + shown(got.handle) + "; model" +
                   shown(want.status) + shown(want.handle);
        if (library_call != made.end() || model_call != model.calls.end())
            return "call " + std::to_string(library_call - made.begin()) + " of " +
                   std::to_string(made.size()) + "; model " + std::to_string(model.calls.size());
        for (int l = 0; l < kLists; l++) {
            const ko_list *r = model.lists[l].handle;
            if (r != nullptr && fields(*r) != fields(list_record(l)))
                return "list " + std::to_string(l) + text(*r) + "; model" + text(list_record(l));
        }
        // Linked nodes with their neighbours, walking each chain once; then unlinked ones.
        std::string node;
        for (const ListModel &m : model.lists)
            for (int i = 0; i < std::ssize(m.chain) && node.empty(); i++)
                node = node_difference(m.at(i), m.at(i - 1), m.at(i + 1));
        for (int id = 0; id < model.slots_used && node.empty(); id++)
            if (model.nodes[id].handle != nullptr && !model.nodes[id].linked)
                node = node_difference(id, -1, -1);
        return node;
    }

    bool start(int length, int cursor, Callbacks callbacks)
    {
        bool agreed = apply({.op = NEW, .size = 4, .callbacks = callbacks});
        for (int n = 0; agreed && n < length; n++)
            agreed = make(0, n, n % 3 == 1 ? 1 : 2) && apply({.op = ADD, .node = n});
        agreed = agreed && (cursor >= 0 ? apply({.op = SET_CURRENT, .node = cursor})
                                        : apply({.op = TAIL}) && apply({.op = NEXT}));
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
        const Step step = model.resolve(kAlphabet[move]);
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
            if (model.lists[l].handle == nullptr)
                continue;
            const int32_t at = ko_list_get_node_pos(model.lists[l].handle, fenced);
            if (at != std::ssize(model.lists[l].chain))
                error = "an unreadable node at " + std::to_string(at);
            if (!error.empty() || !apply({.op = FREE, .list = l}))
                return false;
        }
        return true;
    }

    // The steps played, their enums and looks by number, and what differed after the last.
    std::string report() const
    {
        std::string text = "step operation: list node size element position count direction key "
                           "callbacks comparison refusal look -> result\n";
        for (size_t i = 0; const auto &[s, result] : history) {
            text += std::to_string(i++) + " " + kOpNames[s.op] + ":";
            for (const int v :
                 {s.list < kLists ? s.list : -1, s.node, s.size, s.element, s.position, s.count,
                  s.direction, s.key, +s.callbacks, +s.comparison, +s.refusal,
                  s.look != nullptr ? static_cast<int>(s.look - kLooks) : -1})
                text += shown(v);
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
        Checker c(hooks);
        bool agreed = c.start(length, cursor, callbacks), changed = true;
        for (d = 0; agreed && changed && d < depth; d++) {
            const Records before = c.model;
            agreed = c.play(moves[static_cast<size_t>(d)]);
            changed = before != c.model;
        }
        if (!(agreed && c.finish()))
            return c.report();
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
    const auto pick = [&at, end](auto n) { return at < end ? static_cast<int>(*at++ % n) : 0; };
    Checker c(hooks);
    const int length = pick(4);
    bool agreed = c.start(length, pick(length + 1) - 1, static_cast<Callbacks>(pick(4)));
    // One move in four at least makes a node and adds it, so that lists grow.
    for (long i = 0; agreed && i < limit && at < end; i++)
        agreed = c.play(pick(4) == 0 ? 0 : static_cast<size_t>(pick(kAlphabet.size())));
    return agreed && c.finish() ? "" : c.report();
}

} // namespace checker
