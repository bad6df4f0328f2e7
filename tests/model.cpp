// SPDX-License-Identifier: MIT
// The model's rules, an operation at a time.
#include "model.hpp"

#include <cstring>

namespace model {

int32_t order(Comparison comparison, const void *a, const void *b)
{
    const int32_t x = *static_cast<const int8_t *>(a);
    const int32_t y = *static_cast<const int8_t *>(b);
    const int32_t results[] = {0, (x > y) - (x < y), (y > x) - (y < x), 0, INT32_MAX, INT32_MIN};
    return results[comparison];
}

Step Model::resolve(const Step &move) const
{
    Step s = move;
    const auto loose =
        std::ranges::find_if(nodes, [](const NodeModel &m) { return m.loose_in(0); });
    const ListModel &zero = lists[0];
    const int loose_slot = static_cast<int>(loose - nodes);
    const int roles[] = {-1,           zero.at(0), zero.at(1),    zero.last(),
                         zero.current, loose_slot, lists[1].at(0)};
    s.node = roles[move.role] < kNodes ? roles[move.role] : -1;
    const auto nodes_in_list = static_cast<int32_t>(lists[s.list].chain.size());
    s.count += move.plus_nodes * nodes_in_list;
    s.position += move.plus_nodes * nodes_in_list;
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

int Model::beside(int id, int towards) const // toward the tail (1) or the first node (-1)
{
    if (id < 0 || !nodes[id].linked)
        return -1;
    const ListModel &m = lists[nodes[id].list];
    return m.place(id) + towards < 0 ? -1 : m.at(static_cast<size_t>(m.place(id) + towards));
}

// A callback for list `l`, with what the step's look reads there now.
Call Model::called(int l, Call call)
{
    if (look_ == nullptr)
        return call;
    Step s = *look_;
    s.list = l;
    looks.push_back(bind(resolve(s)));
    call.read = step(looks.back().step);
    return call;
}

int32_t Model::link(int id, int at) // the first node linked also becomes current
{
    ListModel &m = owner(id);
    m.current = m.chain.empty() ? id : m.current;
    m.chain.insert(m.chain.begin() + at, id);
    nodes[id].linked = true;
    return 0;
}
int32_t Model::attach(int id)
{
    return id < 0 || nodes[id].linked ? -1 : link(id, static_cast<int>(owner(id).chain.size()));
}
// After or before the cursor, or as the only node.
int32_t Model::insert(int l, int id, int32_t position)
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
int32_t Model::detach(int id)
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
void Model::release(int id) // the data goes first, through the releaser if any
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
ko_list_node *Model::search_from(const Step &s, int id)
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
Outcome Model::move(ListModel &m, int32_t count) // to an end at most; not from null
{
    if (m.handle == nullptr || (count != 0 && m.current < 0))
        return {nullptr, -1};
    if (count != 0)
        m.current = m.at(static_cast<size_t>(
            std::clamp<int64_t>(m.place(m.current) + int64_t{count}, 0, std::ssize(m.chain) - 1)));
    return {};
}

Outcome Model::play(const Step &s)
{
    calls.clear();
    looks.clear();
    look_ = s.look;
    const ListModel &m = lists[s.list];
    const bool allocates = m.handle != nullptr && (m.callbacks & kAllocator) != 0;
    if (s.op == NODE_NEW && allocates && s.refusal != kFirstHeapRequest) // once the record is made
        allocation_ = called(s.list, {'a', nullptr, nullptr, static_cast<size_t>(m.size)});
    if (s.op == NEW || s.op == NODE_NEW)
        return {}; // the rest once create() is told where the heap put the record
    return step(s);
}

Outcome Model::step(const Step &s)
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
    case SET_CURRENT: m.current = in_list ? s.node : m.current; return {nullptr, in_list ? 0 : -1};
    case MOVE: return move(m, s.count);
    case GET_POS: m.current = inside ? m.at(static_cast<size_t>(s.position)) : m.current;
                  return {inside ? handle(m.current) : nullptr}; // outside, the cursor stays
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
                NodeModel &x = nodes[m.chain[i]];
                NodeModel &y = nodes[m.chain[j]];
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

// A list takes a heap block for its record; a node, one for its record, then its
// data from the allocator or another heap block, else the record goes back.
Outcome Model::create(const Step &s, void *handle, const void *first_block, void *data)
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
        expect_heap('m', record ? block : nullptr, node ? sizeof(ko_list_node) : sizeof(ko_list));
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

size_t Model::write(int id, int32_t element)
{
    const auto size = std::min(sizeof element, static_cast<size_t>(owner(id).size));
    std::memcpy(nodes[id].bytes.data(), &element, size);
    return size;
}

} // namespace model
