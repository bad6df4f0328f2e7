// SPDX-License-Identifier: MIT
// The model: what each operation is to return, call and leave in the records,
// as the library promises (and the choices it settles), not as its code does.
// It never calls the library: the checker tells it the handles and blocks made.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "koList.h"

namespace model {

// clang-format off
// The 26 operations and a caller's write into `search_dir`; GET_NODES to
// NODE_NEXT, reads and cursor moves, are what a callback may play.
enum Op { NEW, NODE_NEW, FREE, GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, REMOVE, CLEAN,
    GET_NODES, FIRST, TAIL, NEXT, PREV, CURRENT, SET_CURRENT, MOVE, GET_POS, NODE_POS, NODE_PREV,
    NODE_NEXT, SEARCH, SEARCH_NEXT, SORT, WRITE_DIR };
inline constexpr const char *kOpNames[] = {"new", "node_new", "free", "get_data", "attach", "add",
    "insert", "detach", "node_free", "remove", "clean", "get_nodes", "get_first", "get_tail",
    "get_next", "get_prev", "get_current", "set_current", "move_current", "get_pos", "get_node_pos",
    "node_get_prev", "node_get_next", "search", "search_next", "sort", "write_dir"};
// clang-format on
constexpr int kLists = 5;  // list slots; slot kLists is always empty: the null list
constexpr int kNodes = 40; // node slots; -1 is the null node

// The checker's callbacks a new list is given, as flags.
enum Callbacks { kNoCallbacks, kAllocator, kReleaser, kAllocatorAndReleaser };
// A search's or sort's comparison, by the elements' first byte, signed; or null.
enum Comparison { kNoComparison, kThreeWay, kReversed, kAlwaysZero, kAlwaysMax, kAlwaysMin };
// The request of a creation that is refused: the heap's first or second, or the allocator's.
enum Refusal { kNoRefusal, kFirstHeapRequest, kSecondHeapRequest, kAllocatorRefuses };
// A node by role in list 0, resolved when played; kForeign is list 1's first.
enum Role { kNull, kFirst, kSecond, kLast, kCurrent, kLoose, kForeign };

// An operation with its arguments, each field for one thing; as a move, it
// may name its node by role and grow its count or position with the list.
struct Step {
    Op op = NEW;
    int list = 0;          // list slot: the moves work on list 0 unless they say
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

// The checker's allocator fills new data with kFill; its comparisons order so.
constexpr uint8_t kFill = 0xA5;
inline int32_t order(Comparison comparison, const void *a, const void *b)
{
    const int32_t x = *static_cast<const int8_t *>(a), y = *static_cast<const int8_t *>(b);
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[comparison];
}

struct Outcome { // what a step or a look gave, or is to give
    void *handle = nullptr;
    int32_t status = 0;
    bool operator==(const Outcome &) const = default;
};
// A call during a step: a 'c'omparison of `pointer` with `against`, an
// 'a'llocator call for `size` bytes or an 'f' releaser call on `pointer`, with
// what its look read; a heap block `pointer` of `size` 'm'ade (null: refused) or 'x'.
struct Call {
    char kind;
    const void *pointer = nullptr, *against = nullptr;
    size_t size = 0;
    Outcome read = {};
    bool operator==(const Call &) const = default;
};

struct ListModel {
    ko_list *handle = nullptr; // null for a free slot
    int32_t size = 0;
    Callbacks callbacks = kNoCallbacks;
    std::vector<int> chain = {}; // node slots, first to tail
    int current = -1, search_node = -1;
    int32_t search_dir = KO_LIST_SEARCH_FORWARD;

    // The node at position i; the null node outside the chain.
    int at(int64_t i) const { return i >= 0 && i < std::ssize(chain) ? chain[size_t(i)] : -1; }
    int last() const { return chain.empty() ? -1 : chain.back(); }
    // The node's position; the chain's length when the node is not in it.
    int place(int id) const { return int(std::ranges::find(chain, id) - chain.begin()); }
    bool operator==(const ListModel &) const = default;
};
struct NodeModel {
    ko_list_node *handle = nullptr; // null for a free slot
    int list = -1;
    bool linked = false;
    void *data = nullptr;              // the data pointer the node holds
    std::array<uint8_t, 4> bytes = {}; // and what it points to (elements have 1 or 4 here)
    bool loose_in(int l) const { return handle != nullptr && list == l && !linked; } // unlinked
    bool operator==(const NodeModel &) const = default;
};
struct Records { // what the model knows of every list and node
    ListModel lists[kLists + 1];
    NodeModel nodes[kNodes];
    bool operator==(const Records &) const = default;
};
// A step with its slots' handles from before the model played it: what the library is given.
struct Bound {
    Step step;
    ko_list *list;
    ko_list_node *node;
};

class Model : public Records {
  public:
    explicit Model(bool heap_watched) : heap_watched_(heap_watched) {} // else heap calls go unseen

    std::vector<Call> calls;  // the calls the step is to make, in order
    std::vector<Bound> looks; // the looks its callbacks are to play, in order
    int slots_used = 0;       // node slots ever filled: the others are free

    ko_list_node *handle(int id) const { return id >= 0 ? nodes[id].handle : nullptr; }
    Bound bind(const Step &s) const { return {s, lists[s.list].handle, handle(s.node)}; }

    // The move's node, count or position, refusal, and a creation's slot, as they stand.
    Step resolve(const Step &move) const
    {
        Step s = move;
        const ListModel &zero = lists[0];
        const auto loose = std::ranges::find_if(nodes, [](auto &m) { return m.loose_in(0); });
        const int loose_slot = static_cast<int>(loose - nodes);
        const int roles[] = {-1,           zero.at(0), zero.at(1),    zero.last(),
                             zero.current, loose_slot, lists[1].at(0)};
        s.node = roles[move.role] < kNodes ? roles[move.role] : -1;
        const int32_t grown = move.plus_nodes * static_cast<int32_t>(lists[s.list].chain.size());
        s.count += grown;
        s.position += grown;
        // Unwatched, the heap refuses nothing.
        s.refusal = heap_watched_ || s.refusal == kAllocatorRefuses ? s.refusal : kNoRefusal;
        // A creation goes to the first free slot; with none, it is refused: a list
        // for its size, a node for the null list.
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

    // Plays a step: what the library is to return. A new list's or node's
    // result waits for where the heap put its record, which only the library
    // tells: play() makes the allocator's call; create(), given the handle made,
    // the first block the heap was asked for and the node's data, the rest.
    Outcome play(const Step &s)
    {
        calls.clear();
        looks.clear();
        look_ = s.look;
        const ListModel &m = lists[s.list];
        const bool allocates = m.handle != nullptr && (m.callbacks & kAllocator) != 0;
        if (s.op == NODE_NEW && allocates && s.refusal != kFirstHeapRequest) // the record made
            allocation_ = called(s.list, {'a', nullptr, nullptr, static_cast<size_t>(m.size)});
        return s.op == NEW || s.op == NODE_NEW ? Outcome{} : step(s);
    }
    // A list takes a heap block for its record; a node, one for its record, then its
    // data from the allocator or another heap block, else the record goes back.
    Outcome create(const Step &s, void *handle, const void *first_block, void *data)
    {
        ListModel &m = lists[s.list];
        const bool node = s.op == NODE_NEW;
        const bool asked = node ? m.handle != nullptr : s.size > 0; // for the record
        const bool record = asked && s.refusal != kFirstHeapRequest;
        const bool allocator = node && record && (m.callbacks & kAllocator) != 0; // for the data
        const bool heap_asked = node && record && !(allocator && s.refusal == kAllocatorRefuses);
        const bool data_made = heap_asked && s.refusal != kSecondHeapRequest;
        const bool made = record && (!node || data_made);
        const void *block = made ? handle : first_block; // the record's, returned or given back
        if (asked)
            expect_heap('m', record ? block : nullptr,
                        node ? sizeof(ko_list_node) : sizeof(ko_list));
        if (allocator)
            expect(allocation_);
        if (heap_asked)
            expect_heap('m', data_made ? data : nullptr, static_cast<size_t>(m.size));
        if (node && record && !data_made)
            expect_heap('x', block);
        if (made && !node)
            m = {static_cast<ko_list *>(handle), s.size, s.callbacks};
        if (made && node && handle != nullptr) {
            nodes[s.node] = {static_cast<ko_list_node *>(handle), s.list, false, data};
            nodes[s.node].bytes.fill((m.callbacks & kAllocator) != 0 ? kFill : 0);
            slots_used = std::max(slots_used, s.node + 1);
        }
        return {made ? handle : nullptr, made};
    }
    // The caller's write of an element through a node's pointer: the bytes written.
    size_t write(int id, int32_t element)
    {
        const auto size = std::min(sizeof element, static_cast<size_t>(owner(id).size));
        std::memcpy(nodes[id].bytes.data(), &element, size);
        return size;
    }

  private:
    int beside(int id, int towards) const // toward the tail (1) or the first node (-1)
    {
        if (id < 0 || !nodes[id].linked)
            return -1;
        const ListModel &m = lists[nodes[id].list];
        return m.at(m.place(id) + towards);
    }
    ListModel &owner(int id) { return lists[nodes[id].list]; }
    static int along(int32_t dir) { return dir == KO_LIST_SEARCH_FORWARD ? 1 : -1; }
    void expect(Call call) { calls.push_back(call); }
    void expect_heap(char kind, const void *block, size_t size = 0)
    {
        if (heap_watched_)
            expect({kind, block, nullptr, size});
    }
    // A callback for list `l`, with what the step's look reads there now.
    Call called(int l, Call call)
    {
        if (look_ == nullptr)
            return call;
        Step s = *look_;
        s.list = l;
        looks.push_back(bind(resolve(s)));
        call.read = step(looks.back().step);
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
        if (id < 0 || nodes[id].linked || nodes[id].list != l ||
            (!m.chain.empty() && (m.current < 0 || !known)))
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
        if ((owner(id).callbacks & kReleaser) != 0)
            expect(called(nodes[id].list, {'f', nodes[id].data}));
        expect_heap('x', nodes[id].data);
        expect_heap('x', nodes[id].handle);
        nodes[id] = NodeModel{};
    }
    // The first match from node `id` on becomes the search cursor; none ends the
    // search. The key is compared where the step holds it, as the library is given.
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
    Outcome move(ListModel &m, int32_t count) // to an end at most; not from null
    {
        if (m.handle == nullptr || (count != 0 && m.current < 0))
            return {nullptr, -1};
        if (count != 0)
            m.current = m.at(std::clamp<int64_t>(m.place(m.current) + int64_t{count}, 0,
                                                 std::ssize(m.chain) - 1));
        return {};
    }

    Outcome step(const Step &s)
    {
        ListModel &m = lists[s.list];
        const bool inside = s.position >= 0 && s.position < std::ssize(m.chain);
        const bool in_list = s.node >= 0 && nodes[s.node].list == s.list && nodes[s.node].linked;
        const bool searchable = m.handle != nullptr && s.comparison != kNoComparison;
        const bool running =
            m.search_dir == KO_LIST_SEARCH_FORWARD || m.search_dir == KO_LIST_SEARCH_BACKWARD;
        // clang-format off
        switch (s.op) {
        case FREE: // as a caller does: the list's unlinked nodes, then the list, which cleans it
            for (int id = 0; id < kNodes; id++) if (nodes[id].loose_in(s.list)) release(id);
            step({.op = CLEAN, .list = s.list});
            if (m.handle != nullptr) expect_heap('x', m.handle);
            m = ListModel{}; return {};
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
        case SET_CURRENT: return {nullptr, in_list ? (m.current = s.node, 0) : -1};
        case MOVE: return move(m, s.count);
        case GET_POS: return {inside ? handle(m.current = m.at(s.position)) : nullptr};
        case NODE_POS: return {nullptr, m.handle != nullptr && s.node >= 0 ? m.place(s.node) : -1};
        case NODE_PREV: return {handle(beside(s.node, -1))};
        case NODE_NEXT: return {handle(beside(s.node, 1))};
        // clang-format on
        case SEARCH: // from an end; another direction changes nothing
            if (!searchable ||
                (s.direction != KO_LIST_SEARCH_FORWARD && s.direction != KO_LIST_SEARCH_BACKWARD))
                return {};
            m.search_dir = s.direction;
            return {search_from(s, s.direction == KO_LIST_SEARCH_FORWARD ? m.at(0) : m.last())};
        case SEARCH_NEXT: // resumes one step past the search cursor; another state ends
            if (searchable && !running)
                m.search_dir = KO_LIST_SEARCH_DONE;
            if (!searchable || !running)
                return {};
            m.search_node = beside(m.search_node, along(m.search_dir));
            return {search_from(s, m.search_node)};
        case SORT: // the exchange sort moves data pointers between nodes; the chain stays
            m.current = m.at(0);
            for (size_t j = 1; s.comparison != kNoComparison && j < m.chain.size(); j++)
                for (size_t i = 0; i < j; i++) {
                    NodeModel &x = nodes[m.chain[i]], &y = nodes[m.chain[j]];
                    expect(called(s.list, {'c', x.data, y.data}));
                    if (order(s.comparison, x.bytes.data(), y.bytes.data()) > 0) {
                        std::swap(x.data, y.data);
                        std::swap(x.bytes, y.bytes);
                    }
                }
            return {};
        default: // a caller writes the public record
            m.search_dir = m.handle != nullptr ? s.direction : m.search_dir;
            return {};
        }
    }

    bool heap_watched_;
    const Step *look_ = nullptr; // the step's
    Call allocation_ = {'a'};    // the allocator's call, from play() to create()
};

} // namespace model
