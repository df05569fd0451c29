// Storage of the entries of the point neighbour lists while they are built.
#pragma once

#include "objects.h"

#include <climits>
#include <cstdint>
#include <initializer_list>

namespace neighbour_entries {

constexpr int NONE = -1;

// One list entry. A point's entries are linked in a cycle in list order, the
// point's head being the first; the ends of an open chain name each other.
struct entry {
    int next, prev;
    int partner; // once the lists are out: the entry's place in its list
    bool chain_start;
    bool chain_end; // an open end
};

// Every point owns a block of slots, as many as its wedges have entries, so
// its entries lie together. A point with few entries is searched through;
// the entries of a crowded one are also found through a hash table.
struct entry_store {
    static constexpr int SEARCHED = 16;

    int *first_slot = nullptr; // per point
    int *used = nullptr;       // per point
    int *values = nullptr;     // per slot
    entry *entries = nullptr;  // per slot
    struct hashed {
        int point;
        int slot;
    };
    hashed *table = nullptr;
    std::size_t table_size = 0; // a power of two, kept at least twice n_hashed
    std::size_t n_hashed = 0;

    static std::size_t hash(int point, int value, std::size_t size)
    {
        const std::uint64_t key = (static_cast<std::uint64_t>(point) << 32) |
                                  static_cast<std::uint32_t>(value);
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 17) & (size - 1);
    }

    Status start(int n_points, const long long slots[])
    {
        if (alloc_array(first_slot, n_points, "poly_neighs", __LINE__) != OK ||
            alloc_array(used, n_points, "poly_neighs", __LINE__) != OK)
            return ERROR;
        long long total = 0;
        for (int p = 0; p < n_points; ++p) {
            first_slot[p] = static_cast<int>(total);
            used[p] = 0;
            total += slots[p];
            if (total > INT_MAX) {
                print_error("create_polygon_point_neighbours: the polygons have "
                            "too many corners.\n");
                return ERROR;
            }
        }
        if (alloc_array(values, static_cast<std::size_t>(total), "poly_neighs",
                        __LINE__) != OK ||
            alloc_array(entries, static_cast<std::size_t>(total), "poly_neighs",
                        __LINE__) != OK)
            return ERROR;
        return OK;
    }

    int find(int point, int value) const
    {
        const int from = first_slot[point];
        if (used[point] <= SEARCHED) {
            for (int slot = from; slot < from + used[point]; ++slot)
                if (values[slot] == value)
                    return slot;
            return NONE;
        }
        for (std::size_t h = hash(point, value, table_size);; h = (h + 1) & (table_size - 1)) {
            const hashed &at = table[h];
            if (at.slot == NONE || (at.point == point && values[at.slot] == value))
                return at.slot;
        }
    }

    Status put_in_table(int point, int slot)
    {
        if (2 * (n_hashed + 1) > table_size) {
            const std::size_t size = (table_size == 0) ? 1024 : 2 * table_size;
            hashed *fresh = nullptr;
            if (alloc_array(fresh, size, "poly_neighs", __LINE__) != OK)
                return ERROR;
            for (std::size_t h = 0; h < size; ++h)
                fresh[h] = {NONE, NONE};
            for (std::size_t old = 0; old < table_size; ++old)
                if (table[old].slot != NONE) {
                    std::size_t h = hash(table[old].point, values[table[old].slot], size);
                    while (fresh[h].slot != NONE)
                        h = (h + 1) & (size - 1);
                    fresh[h] = table[old];
                }
            if (table != nullptr)
                free_array(table, "poly_neighs", __LINE__);
            table = fresh;
            table_size = size;
        }
        std::size_t h = hash(point, values[slot], table_size);
        while (table[h].slot != NONE)
            h = (h + 1) & (table_size - 1);
        table[h] = {point, slot};
        ++n_hashed;
        return OK;
    }

    // A new entry, known not to be there yet; NONE when memory runs out.
    int add(int point, int value)
    {
        const int slot = first_slot[point] + used[point]++;
        values[slot] = value;
        entries[slot] = {slot, slot, slot, false, false};
        if (used[point] == SEARCHED + 1) {
            for (int s = first_slot[point]; s <= slot; ++s)
                if (put_in_table(point, s) != OK)
                    return NONE;
        } else if (used[point] > SEARCHED + 1 && put_in_table(point, slot) != OK) {
            return NONE;
        }
        return slot;
    }

    void release()
    {
        for (int **array : {&first_slot, &used, &values})
            if (*array != nullptr)
                free_array(*array, "poly_neighs", __LINE__);
        if (entries != nullptr)
            free_array(entries, "poly_neighs", __LINE__);
        if (table != nullptr)
            free_array(table, "poly_neighs", __LINE__);
    }
};

// The wedge of one corner; grown in steps of 100 entries.
struct chain {
    int *entries = nullptr;
    int length = 0;
    int capacity = 0; // kept across corners: the chain is emptied, not freed

    Status append(int value)
    {
        if (length == capacity) {
            if (grow_array(entries, capacity, capacity + 100, 100, "poly_neighs",
                           __LINE__) != OK)
                return ERROR;
            capacity += 100;
        }
        entries[length++] = value;
        return OK;
    }
};

} // namespace neighbour_entries
