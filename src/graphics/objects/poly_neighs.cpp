#include "poly_neighs.h"

#include <climits>

namespace {

// Progress is looked at every so many polygons, not at every one.
constexpr int PROGRESS_STRIDE = 4096;

// While lists are built, v + n_points marks v as the open end of a chain and
// EMPTY a slot whose entry has moved into another chain.
constexpr int EMPTY = -1;

struct point_list {
    int *entries;
    int length;
};

// The scratch chain of one corner; grown in steps of 100 entries.
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

Status set_list(point_list *list, const chain &from)
{
    if (grow_array(list->entries, list->length, from.length, 4, "poly_neighs",
                   __LINE__) != OK)
        return ERROR;
    for (int i = 0; i < from.length; ++i)
        list->entries[i] = from.entries[i];
    list->length = from.length;
    return OK;
}

// Adds corner k of a polygon (corners c[0..size-1]) to the list of its point.
Status add_corner(point_list *list, const int c[], int size, int k,
                  bool across_polygons, int n_points, chain *scratch,
                  chain *joined)
{
    scratch->length = 0;
    for (int i = 0; i <= size - 2; ++i) {
        if (across_polygons || i == 0 || i == size - 2)
            if (scratch->append(c[(k + 1 + i) % size]) != OK)
                return ERROR;
    }
    if (scratch->length == 0)
        return OK;

    int *entries = list->entries;
    const int length = list->length;

    // Join at the front: the chain of the list that ends at our first point.
    chain *current = scratch;
    bool closed = false;
    const int front_marker = scratch->entries[0] + n_points;
    int marker_at = -1;
    for (int j = 0; j < length; ++j)
        if (entries[j] == front_marker) {
            marker_at = j;
            break;
        }
    if (marker_at >= 0) {
        int start = marker_at;
        while (start > 0 && entries[start - 1] < n_points)
            --start;
        joined->length = 0;
        for (int j = start; j < marker_at; ++j) {
            if (entries[j] != EMPTY && joined->append(entries[j]) != OK)
                return ERROR;
            entries[j] = EMPTY;
        }
        entries[marker_at] = EMPTY;
        for (int j = 0; j < scratch->length; ++j)
            if (joined->append(scratch->entries[j]) != OK)
                return ERROR;
        current = joined;
        if (current->length > 1 &&
            current->entries[current->length - 1] == current->entries[0]) {
            --current->length;
            closed = true;
        }
    }

    // Join at the back: continue around from our last point, or leave it
    // as an open end and keep the rest of the list after it.
    const int last = current->entries[current->length - 1];
    int found = -1;
    for (int j = 0; j < length; ++j)
        if (entries[j] == last) {
            found = j;
            break;
        }
    if (found >= 0) {
        for (int step = 1; step < length; ++step) {
            const int value = entries[(found + step) % length];
            if (value != EMPTY && current->append(value) != OK)
                return ERROR;
        }
    } else {
        if (!closed)
            current->entries[current->length - 1] = last + n_points;
        for (int j = 0; j < length; ++j)
            if (entries[j] != EMPTY && current->append(entries[j]) != OK)
                return ERROR;
    }
    return set_list(list, *current);
}

int find_in_list(const int list[], int length, int value)
{
    for (int j = 0; j < length; ++j)
        if (list[j] == value)
            return j;
    return -1;
}

} // namespace

bool polygons_indices_are_valid(const polygons_struct *polygons)
{
    if (polygons->n_items < 0 || polygons->n_points < 0)
        return false;
    if (polygons->n_items == 0)
        return true;
    if (polygons->end_indices == nullptr)
        return false;
    int previous = 0;
    for (int i = 0; i < polygons->n_items; ++i) {
        if (polygons->end_indices[i] < previous)
            return false;
        previous = polygons->end_indices[i];
    }
    if (previous > 0 && polygons->indices == nullptr)
        return false;
    for (int i = 0; i < previous; ++i)
        if (polygons->indices[i] < 0 || polygons->indices[i] >= polygons->n_points)
            return false;
    return true;
}

Status create_polygon_point_neighbours(const polygons_struct *polygons,
                                       bool across_polygons,
                                       int **n_neighbours, int ***neighbours,
                                       unsigned char **interior,
                                       int ***polygon_table)
{
    if (across_polygons && polygon_table != nullptr) {
        print_error("create_polygon_point_neighbours: conflicting argument.\n");
        return ERROR;
    }
    if (!polygons_indices_are_valid(polygons) || polygons->n_points > INT_MAX / 2) {
        print_error("create_polygon_point_neighbours: the polygons' indices do not "
                    "fit their %d points.\n", polygons->n_points);
        return ERROR;
    }

    const int n_points = polygons->n_points;
    const int n_items = polygons->n_items;
    point_list *lists = nullptr;
    if (alloc_array(lists, n_points, "poly_neighs", __LINE__) != OK)
        return ERROR;
    for (int p = 0; p < n_points; ++p)
        lists[p] = {nullptr, 0};

    chain scratch, joined;
    Status status = OK;
    progress_struct progress;
    initialize_progress_report(&progress, false, n_items, "Neighbour-finding");
    for (int i = 0; i < n_items && status == OK; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        const int size = polygons->end_indices[i] - start;
        const int *corners = &polygons->indices[start];
        for (int k = 0; k < size && status == OK; ++k)
            status = add_corner(&lists[corners[k]], corners, size, k,
                                across_polygons, n_points, &scratch, &joined);
        if (i % PROGRESS_STRIDE == 0)
            update_progress_report(&progress, i + 1);
    }
    terminate_progress_report(&progress);
    free_array(scratch.entries, "poly_neighs", __LINE__);
    free_array(joined.entries, "poly_neighs", __LINE__);

    int *counts = nullptr;
    int **out_lists = nullptr;
    unsigned char *flags = nullptr;
    if (status == OK &&
        (alloc_array(counts, n_points, "poly_neighs", __LINE__) != OK ||
         alloc_array(out_lists, n_points, "poly_neighs", __LINE__) != OK ||
         (interior != nullptr &&
          alloc_array(flags, n_points, "poly_neighs", __LINE__) != OK)))
        status = ERROR;

    if (status != OK) {
        for (int p = 0; p < n_points; ++p)
            if (lists[p].entries != nullptr)
                free_array(lists[p].entries, "poly_neighs", __LINE__);
        free_array(lists, "poly_neighs", __LINE__);
        if (counts != nullptr)
            free_array(counts, "poly_neighs", __LINE__);
        if (out_lists != nullptr)
            free_array(out_lists, "poly_neighs", __LINE__);
        if (flags != nullptr)
            free_array(flags, "poly_neighs", __LINE__);
        return ERROR;
    }

    long long total = 0;
    for (int p = 0; p < n_points; ++p) {
        int *entries = lists[p].entries;
        const int length = lists[p].length;
        if (length == 0 && entries != nullptr) {
            free_array(entries, "poly_neighs", __LINE__);
        } else if (length > 0) {
            void *block = entries;
            if (realloc_memory(&block, length, sizeof(int), "poly_neighs",
                               __LINE__) == OK)
                entries = static_cast<int *>(block);
        }
        if (flags != nullptr)
            flags[p] = (length > 0 && entries[length - 1] < n_points) ? 1 : 0;
        for (int j = 0; j < length; ++j)
            if (entries[j] >= n_points)
                entries[j] -= n_points;
        counts[p] = length;
        out_lists[p] = entries;
        total += length;
    }
    free_array(lists, "poly_neighs", __LINE__);

    if (polygon_table != nullptr) {
        int **table = nullptr;
        int *block = nullptr;
        if (alloc_array(table, n_points, "poly_neighs", __LINE__) != OK ||
            alloc_array(block, static_cast<std::size_t>(total), "poly_neighs",
                        __LINE__) != OK) {
            if (table != nullptr)
                free_array(table, "poly_neighs", __LINE__);
            delete_polygon_point_neighbours(polygons, counts, out_lists, flags,
                                            nullptr);
            return ERROR;
        }
        long long offset = 0;
        for (int p = 0; p < n_points; ++p) {
            table[p] = block + offset;
            offset += counts[p];
        }
        for (long long j = 0; j < total; ++j)
            block[j] = -1;

        initialize_progress_report(&progress, false, n_items,
                                   "Neighbour-finding step 2");
        for (int i = 0; i < n_items; ++i) {
            const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
            const int size = polygons->end_indices[i] - start;
            const int *corners = &polygons->indices[start];
            for (int k = 0; k < size; ++k) {
                const int from = corners[k];
                const int to = corners[(k + 1) % size];
                const int slot = find_in_list(out_lists[from], counts[from], to);
                if (slot >= 0 && table[from][slot] == -1) {
                    table[from][slot] = i;
                } else {
                    const int back = find_in_list(out_lists[to], counts[to], from);
                    if (back >= 0)
                        table[to][back] = i;
                }
            }
            if (i % PROGRESS_STRIDE == 0)
                update_progress_report(&progress, i + 1);
        }
        terminate_progress_report(&progress);
        *polygon_table = table;
    }

    *n_neighbours = counts;
    *neighbours = out_lists;
    if (interior != nullptr)
        *interior = flags;
    return OK;
}

void delete_polygon_point_neighbours(const polygons_struct *polygons,
                                     int n_neighbours[], int *neighbours[],
                                     unsigned char interior[],
                                     int *polygon_table[])
{
    if (neighbours != nullptr) {
        for (int p = 0; p < polygons->n_points; ++p)
            if (neighbours[p] != nullptr)
                free_array(neighbours[p], "poly_neighs", __LINE__);
        free_array(neighbours, "poly_neighs", __LINE__);
    }
    if (n_neighbours != nullptr)
        free_array(n_neighbours, "poly_neighs", __LINE__);
    if (interior != nullptr)
        free_array(interior, "poly_neighs", __LINE__);
    if (polygon_table != nullptr) {
        // Every list's table row lives in the one block that row 0 starts.
        if (polygons->n_points > 0 && polygon_table[0] != nullptr)
            free_array(polygon_table[0], "poly_neighs", __LINE__);
        free_array(polygon_table, "poly_neighs", __LINE__);
    }
}
