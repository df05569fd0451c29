#include "poly_neighs.h"
#include "neighbour_entries.h"

#include <climits>
#include <initializer_list>

using neighbour_entries::chain;
using neighbour_entries::entry;
using neighbour_entries::entry_store;
using neighbour_entries::NONE;

namespace {

// Progress is looked at every so many polygons, not at every one.
constexpr int PROGRESS_STRIDE = 4096;

// How the lists are built. Every corner of a polygon brings its wedge: the
// next corner, with across_polygons the polygon's other points, and the
// previous corner, in that order round the point. A point's list is a row of
// open chains and closed rings. A wedge whose first point ends an open chain
// continues it; one whose last point starts another open chain runs on into
// it (the list then goes on from that chain, the chains before it moving to
// the end); one that comes back to the start of its own chain closes a ring.
// Otherwise the wedge is an open chain of its own at the front of the list.
// No point enters a list twice: a wedge point already listed is left out
// and its chain breaks there. So a face met twice, or an edge used twice in
// one direction, adds no entries, and chains and rings never merge but at
// their ends. When a polygon repeats a point, its other points come with
// that point's first corner only, in the order they first appear going
// round from it; the later corners bring only their next and previous
// corners. A point is its own neighbour only along an edge from itself to
// itself. On oriented meshes where every point lies on one fan of polygons
// this gives the lists their long-standing order, entry for entry, which
// the subdivision and the compressed sphere files rely on.

struct list_builder {
    entry_store store;
    int *heads = nullptr; // per point, its first entry or NONE

    entry &at(int e) { return store.entries[e]; }

    // Takes the entries first..last, one block of the point's list, out.
    void cut(int point, int first, int last)
    {
        const int before = at(first).prev, after = at(last).next;
        if (after == first) {
            heads[point] = NONE;
            return;
        }
        at(before).next = after;
        at(after).prev = before;
        if (heads[point] == first)
            heads[point] = after;
    }

    // Puts the block first..last (not linked in yet) in front of entry e of
    // the point's list, or makes it the whole list, and starts the list there.
    void insert_before(int point, int e, int first, int last)
    {
        if (e == NONE) {
            at(first).prev = last;
            at(last).next = first;
        } else {
            const int before = at(e).prev;
            at(before).next = first;
            at(first).prev = before;
            at(last).next = e;
            at(e).prev = last;
        }
        heads[point] = first;
    }

    Status add_wedge(int point, const int wedge[], int length)
    {
        int first = NONE, last = NONE;
        auto append = [&](int value) {
            const int e = store.add(point, value);
            if (e == NONE)
                return ERROR;
            if (first == NONE) {
                first = e;
            } else {
                at(last).next = e;
                at(e).prev = last;
            }
            last = e;
            return OK;
        };

        const int front = store.find(point, wedge[0]);
        if (front == NONE) {
            if (append(wedge[0]) != OK)
                return ERROR;
        } else if (at(front).chain_end) {
            first = at(front).partner;
            last = front;
            cut(point, first, last);
            at(first).chain_start = false;
            at(last).chain_end = false;
        }
        for (int j = 1; j < length - 1; ++j)
            if (store.find(point, wedge[j]) == NONE && append(wedge[j]) != OK)
                return ERROR;

        bool closed = false;
        if (length >= 2) {
            const int back = store.find(point, wedge[length - 1]);
            if (back == NONE) {
                if (append(wedge[length - 1]) != OK)
                    return ERROR;
            } else if (back == first && first != last) {
                closed = true;
            } else if (at(back).chain_start && first != NONE) {
                // Entries of the wedge's own chain carry no marks, so this
                // chain is another one.
                const int end = at(back).partner;
                at(back).chain_start = false;
                at(first).chain_start = true;
                at(first).partner = end;
                at(end).partner = first;
                insert_before(point, back, first, last);
                return OK;
            }
        }
        if (first == NONE)
            return OK;
        if (!closed) {
            at(first).chain_start = true;
            at(last).chain_end = true;
            at(first).partner = last;
            at(last).partner = first;
        }
        insert_before(point, heads[point], first, last);
        return OK;
    }

    void release()
    {
        store.release();
        if (heads != nullptr)
            free_array(heads, "poly_neighs", __LINE__);
    }
};

// Which corners of a polygon bring its other points (across_polygons): the
// first corner of each point, with the points in order of first appearance.
struct polygon_points {
    int *seen_in = nullptr;  // per point: the last polygon it was met in
    int *first_at = nullptr; // per point: its first corner there
    int *order_at = nullptr; // per point: its place in distinct
    chain distinct;

    Status start(int n_points)
    {
        if (alloc_array(seen_in, n_points, "poly_neighs", __LINE__) != OK ||
            alloc_array(first_at, n_points, "poly_neighs", __LINE__) != OK ||
            alloc_array(order_at, n_points, "poly_neighs", __LINE__) != OK)
            return ERROR;
        forget(n_points);
        return OK;
    }

    void forget(int n_points)
    {
        for (int p = 0; p < n_points; ++p)
            seen_in[p] = -1;
    }

    Status collect(int polygon, const int c[], int size)
    {
        distinct.length = 0;
        for (int k = 0; k < size; ++k)
            if (seen_in[c[k]] != polygon) {
                seen_in[c[k]] = polygon;
                first_at[c[k]] = k;
                order_at[c[k]] = distinct.length;
                if (distinct.append(c[k]) != OK)
                    return ERROR;
            }
        return OK;
    }

    void release()
    {
        for (int **array : {&seen_in, &first_at, &order_at})
            if (*array != nullptr)
                free_array(*array, "poly_neighs", __LINE__);
        if (distinct.entries != nullptr)
            free_array(distinct.entries, "poly_neighs", __LINE__);
    }
};

// The wedge of corner k of a polygon (corners c[0..size-1], size >= 2).
Status make_wedge(const int c[], int size, int k, const polygon_points *across,
                  chain *wedge)
{
    wedge->length = 0;
    const int point = c[k];
    const int next = c[(k + 1) % size], previous = c[(k + size - 1) % size];
    if (wedge->append(next) != OK)
        return ERROR;
    if (size == 2)
        return OK;
    if (across != nullptr && across->first_at[point] == k) {
        const chain &distinct = across->distinct;
        const int from = across->order_at[point];
        for (int j = 1; j < distinct.length; ++j) {
            const int v = distinct.entries[(from + j) % distinct.length];
            if (v != next && v != previous && wedge->append(v) != OK)
                return ERROR;
        }
    }
    return wedge->append(previous);
}

int find_in_list(const entry_store &store, int from, int to)
{
    const int e = store.find(from, to);
    return e == NONE ? -1 : store.entries[e].partner;
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

    // A first pass counts each point's wedge entries, the most its list can hold.
    list_builder lists;
    polygon_points points;
    chain wedge;
    long long *slots = nullptr;
    Status status = OK;
    if (alloc_array(lists.heads, n_points, "poly_neighs", __LINE__) != OK ||
        alloc_array(slots, n_points, "poly_neighs", __LINE__) != OK ||
        (across_polygons && points.start(n_points) != OK))
        status = ERROR;
    for (int p = 0; status == OK && p < n_points; ++p) {
        lists.heads[p] = NONE;
        slots[p] = 0;
    }
    for (int i = 0; i < n_items && status == OK; ++i) {
        const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
        const int size = polygons->end_indices[i] - start;
        const int *corners = &polygons->indices[start];
        if (size < 2)
            continue;
        if (!across_polygons) {
            for (int k = 0; k < size; ++k)
                slots[corners[k]] += (size == 2) ? 1 : 2;
            continue;
        }
        status = points.collect(i, corners, size);
        for (int k = 0; k < size && status == OK; ++k) {
            status = make_wedge(corners, size, k, &points, &wedge);
            slots[corners[k]] += wedge.length;
        }
    }
    if (status == OK)
        status = lists.store.start(n_points, slots);
    if (slots != nullptr)
        free_array(slots, "poly_neighs", __LINE__);
    if (status == OK && across_polygons)
        points.forget(n_points);

    progress_struct progress;
    if (status == OK) {
        initialize_progress_report(&progress, false, n_items, "Neighbour-finding");
        for (int i = 0; i < n_items && status == OK; ++i) {
            const int start = (i == 0) ? 0 : polygons->end_indices[i - 1];
            const int size = polygons->end_indices[i] - start;
            const int *corners = &polygons->indices[start];
            if (size >= 2 && across_polygons)
                status = points.collect(i, corners, size);
            for (int k = 0; k < size && size >= 2 && status == OK; ++k) {
                status = make_wedge(corners, size, k,
                                    across_polygons ? &points : nullptr, &wedge);
                if (status == OK)
                    status = lists.add_wedge(corners[k], wedge.entries, wedge.length);
            }
            if (i % PROGRESS_STRIDE == 0)
                update_progress_report(&progress, i + 1);
        }
        terminate_progress_report(&progress);
    }
    points.release();
    if (wedge.entries != nullptr)
        free_array(wedge.entries, "poly_neighs", __LINE__);

    int *counts = nullptr;
    int **out_lists = nullptr;
    unsigned char *flags = nullptr;
    if (status == OK &&
        alloc_array(out_lists, n_points, "poly_neighs", __LINE__) != OK)
        status = ERROR;
    for (int p = 0; out_lists != nullptr && p < n_points; ++p)
        out_lists[p] = nullptr;
    if (status == OK &&
        (alloc_array(counts, n_points, "poly_neighs", __LINE__) != OK ||
         (interior != nullptr &&
          alloc_array(flags, n_points, "poly_neighs", __LINE__) != OK)))
        status = ERROR;

    long long total = 0;
    for (int p = 0; p < n_points && status == OK; ++p) {
        const int head = lists.heads[p];
        int length = 0;
        if (head != NONE)
            for (int e = head; length == 0 || e != head; e = lists.at(e).next)
                ++length;
        if (length > 0 &&
            alloc_array(out_lists[p], length, "poly_neighs", __LINE__) != OK) {
            status = ERROR;
            break;
        }
        int e = head;
        for (int j = 0; j < length; ++j, e = lists.at(e).next) {
            out_lists[p][j] = lists.store.values[e];
            lists.at(e).partner = j;
        }
        if (flags != nullptr)
            flags[p] = (length > 0 && !lists.at(lists.at(head).prev).chain_end) ? 1 : 0;
        counts[p] = length;
        total += length;
    }

    if (status != OK) {
        lists.release();
        if (out_lists != nullptr) {
            for (int p = 0; p < n_points; ++p)
                if (out_lists[p] != nullptr)
                    free_array(out_lists[p], "poly_neighs", __LINE__);
            free_array(out_lists, "poly_neighs", __LINE__);
        }
        if (counts != nullptr)
            free_array(counts, "poly_neighs", __LINE__);
        if (flags != nullptr)
            free_array(flags, "poly_neighs", __LINE__);
        return ERROR;
    }

    if (polygon_table != nullptr) {
        int **table = nullptr;
        int *block = nullptr;
        if (alloc_array(table, n_points, "poly_neighs", __LINE__) != OK ||
            alloc_array(block, static_cast<std::size_t>(total), "poly_neighs",
                        __LINE__) != OK) {
            if (table != nullptr)
                free_array(table, "poly_neighs", __LINE__);
            lists.release();
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
                const int slot = find_in_list(lists.store, from, to);
                if (slot >= 0 && table[from][slot] == -1) {
                    table[from][slot] = i;
                } else {
                    const int back = find_in_list(lists.store, to, from);
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
    lists.release();

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
