// SPDX-License-Identifier: MIT
// The model: what each operation is to return, call and leave in the records,
// as the library promises (and the choices it settles), not as its code does.
// A list is a vector of node slots with its cursors as slots; a node is its
// list, link state, data pointer and element bytes. The model never calls the
// library: the checker tells it the handles and blocks the library gave out.
#pragma once

#include <algorithm>
#include <array>
#include <vector>

#include "koList.h"

namespace model {

// clang-format off
// The 26 operations and a caller's write into `search_dir`; GET_NODES to
// NODE_NEXT, reads and cursor moves, are what a callback may play.
enum Op {
    NEW, NODE_NEW, FREE, GET_DATA, ATTACH, ADD, INSERT, DETACH, NODE_FREE, REMOVE, CLEAN,
    GET_NODES, FIRST, TAIL, NEXT, PREV, CURRENT, SET_CURRENT, MOVE, GET_POS, NODE_POS, NODE_PREV,
    NODE_NEXT, SEARCH, SEARCH_NEXT, SORT, WRITE_DIR
};
inline constexpr const char *kOpNames[] = {
    "new", "node_new", "free", "get_data", "attach", "add", "insert", "detach", "node_free",
    "remove", "clean", "get_nodes", "get_first", "get_tail", "get_next", "get_prev", "get_current",
    "set_current", "move_current", "get_pos", "get_node_pos", "node_get_prev", "node_get_next",
    "search", "search_next", "sort", "write_dir"};
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
int32_t order(Comparison comparison, const void *a, const void *b);

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
    int current = -1;
    int search_node = -1;
    int32_t search_dir = KO_LIST_SEARCH_FORWARD;

    int at(size_t i) const { return i < chain.size() ? chain[i] : -1; }
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
    Step resolve(const Step &move) const;
    // Plays a step: what the library is to return. A new list's or node's
    // result waits for where the heap put its record, which only the library
    // tells: play() makes the allocator's call; create(), given the handle made,
    // the first block the heap was asked for and the node's data, the rest.
    Outcome play(const Step &s);
    Outcome create(const Step &s, void *handle, const void *first_block, void *data);
    // The caller's write of an element through a node's pointer: the bytes written.
    size_t write(int id, int32_t element);

  private:
    ListModel &owner(int id) { return lists[nodes[id].list]; }
    static int along(int32_t dir) { return dir == KO_LIST_SEARCH_FORWARD ? 1 : -1; }
    int beside(int id, int towards) const;
    void expect(Call call) { calls.push_back(call); }
    void expect_heap(char kind, const void *block, size_t size = 0)
    {
        if (heap_watched_)
            expect({kind, block, nullptr, size});
    }
    Call called(int l, Call call);
    Outcome step(const Step &s);
    int32_t link(int id, int at);
    int32_t attach(int id);
    int32_t insert(int l, int id, int32_t position);
    int32_t detach(int id);
    void release(int id);
    ko_list_node *search_from(const Step &s, int id);
    Outcome move(ListModel &m, int32_t count);

    bool heap_watched_;
    const Step *look_ = nullptr; // the step's
    Call allocation_ = {'a'};    // the allocator's call, from play() to create()
};

} // namespace model
