#pragma once
// The order in which the module and driver tables are listed: ascending keys, as
// an exchange sort (each entry swapped with every later, smaller one) leaves them.
// For distinct keys that is the one sorted order and an O(n log n) sort gives it;
// the exchange sort is not stable, so when keys repeat (zero handles, failed
// queries, hidden driver addresses) it is replayed to put equal keys where it puts
// them, up to the 32,767 entries a list holds; larger tables with repeated keys
// keep equal keys in enumeration order instead of paying for a quadratic replay.

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace main_window {

template <typename Key> std::vector<size_t> ExchangeSortOrder(const std::vector<Key>& keys) {
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    constexpr size_t kLargestReplayedTable = 32767;
    if (keys.size() > kLargestReplayedTable) {
        return order;
    }
    bool repeats = std::adjacent_find(order.begin(), order.end(), [&keys](size_t a, size_t b) {
                       return keys[a] == keys[b];
                   }) != order.end();
    if (!repeats) {
        return order;
    }
    std::iota(order.begin(), order.end(), size_t{0});
    for (size_t i = 0; i < order.size(); ++i) {
        for (size_t j = i + 1; j < order.size(); ++j) {
            if (keys[order[j]] < keys[order[i]]) {
                std::swap(order[i], order[j]);
            }
        }
    }
    return order;
}

// Puts the elements of `items` into `order` (as returned above).
template <typename T>
std::vector<T> Reordered(std::vector<T> items, const std::vector<size_t>& order) {
    std::vector<T> result;
    result.reserve(order.size());
    for (size_t index : order) {
        result.push_back(std::move(items[index]));
    }
    return result;
}

} // namespace main_window
