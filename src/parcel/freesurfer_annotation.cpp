// FreeSurfer annotation files: big-endian int32 throughout. The vertex
// count, (vertex, packed colour) pairs, the colour-table tag (1), then the
// table: either a positive entry count (old layout, entries in index
// order) or -2 (version 2: highest index + 1, original table name, entry
// count, entries each with its index).
#include "parcel_files.h"

#include "big_endian.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::int32_t colour_table_tag = 1;
constexpr std::int32_t table_version = 2;
// An entry is at least its name's length and four colour values (and, in
// version 2, its index).
constexpr std::uint64_t min_old_entry_bytes = 20;
constexpr std::uint64_t min_new_entry_bytes = 24;

struct annotation_reader {
    File file;
    const char *name;

    Status bytes(void *data, std::size_t n)
    {
        if (n == 0)
            return OK;
        if (n > file_bytes_remaining(file) ||
            io_binary_data(file, READ_FILE, data, 1, n) != OK) {
            print_error("Error reading \"%s\": the file ends inside its colour table.\n", name);
            return ERROR;
        }
        return OK;
    }

    Status int32(std::int32_t *value)
    {
        unsigned char word[4];
        if (bytes(word, 4) != OK)
            return ERROR;
        *value = big_endian_i32(word);
        return OK;
    }

    // A length-prefixed string; the terminating NULs are not kept.
    Status string(std::string *text)
    {
        std::int32_t n = 0;
        if (int32(&n) != OK)
            return ERROR;
        if (n < 0 || std::uint64_t(n) > file_bytes_remaining(file)) {
            print_error("Error reading \"%s\": a name of %d bytes in its colour table does "
                        "not fit in the file.\n", name, n);
            return ERROR;
        }
        text->assign(std::size_t(n), '\0');
        if (bytes(text->data(), std::size_t(n)) != OK)
            return ERROR;
        text->resize(std::strlen(text->c_str()));
        return OK;
    }

    // Red, green, blue and transparency (255 - alpha).
    Status colour(parcel_colour *c)
    {
        std::int32_t v[4];
        for (std::int32_t &x : v)
            if (int32(&x) != OK)
                return ERROR;
        auto byte = [](std::int64_t x) { return std::uint8_t(std::clamp<std::int64_t>(x, 0, 255)); };
        *c = {byte(v[0]), byte(v[1]), byte(v[2]), byte(255 - std::int64_t(v[3]))};
        return OK;
    }

    Status count_fits(std::int32_t n, std::uint64_t min_entry_bytes)
    {
        if (std::uint64_t(n) * min_entry_bytes > file_bytes_remaining(file)) {
            print_error("Error reading \"%s\": a colour table of %d entries does not fit in "
                        "the file's remaining %llu bytes.\n", name, n,
                        static_cast<unsigned long long>(file_bytes_remaining(file)));
            return ERROR;
        }
        return OK;
    }

    Status old_table(std::int32_t n_entries, std::vector<parcel_region> *regions)
    {
        std::string original;
        if (string(&original) != OK || count_fits(n_entries, min_old_entry_bytes) != OK)
            return ERROR;
        regions->resize(std::size_t(n_entries));
        for (std::int32_t i = 0; i < n_entries; ++i) {
            parcel_region &r = (*regions)[std::size_t(i)];
            r.key = i;
            if (string(&r.name) != OK || colour(&r.colour) != OK)
                return ERROR;
        }
        return OK;
    }

    Status new_table(std::vector<parcel_region> *regions)
    {
        std::int32_t max_index = 0, n_entries = 0;
        std::string original;
        if (int32(&max_index) != OK || string(&original) != OK || int32(&n_entries) != OK)
            return ERROR;
        if (n_entries < 0 || max_index < 0) {
            print_error("Error reading \"%s\": its colour table has %d entries below index "
                        "%d.\n", name, n_entries, max_index);
            return ERROR;
        }
        if (count_fits(n_entries, min_new_entry_bytes) != OK)
            return ERROR;
        regions->resize(std::size_t(n_entries));
        for (parcel_region &r : *regions) {
            if (int32(&r.key) != OK)
                return ERROR;
            if (r.key < 0 || r.key >= max_index) {
                print_error("Error reading \"%s\": colour table entry index %d lies outside "
                            "the table's %d entries.\n", name, r.key, max_index);
                return ERROR;
            }
            if (string(&r.name) != OK || colour(&r.colour) != OK)
                return ERROR;
        }
        std::stable_sort(regions->begin(), regions->end(),
                         [](const parcel_region &a, const parcel_region &b) { return a.key < b.key; });
        for (std::size_t i = 1; i < regions->size(); ++i) {
            if ((*regions)[i].key == (*regions)[i - 1].key) {
                print_error("Error reading \"%s\": colour table index %d appears twice "
                            "(\"%s\" and \"%s\").\n", name, (*regions)[i].key,
                            (*regions)[i - 1].name.c_str(), (*regions)[i].name.c_str());
                return ERROR;
            }
        }
        return OK;
    }

    Status table(std::vector<parcel_region> *regions)
    {
        std::int32_t tag = 0, first = 0;
        if (file_bytes_remaining(file) < 4) {
            print_error("Error reading \"%s\": no colour table after the vertices.\n", name);
            return ERROR;
        }
        if (int32(&tag) != OK)
            return ERROR;
        if (tag != colour_table_tag) {
            print_error("Error reading \"%s\": %d where the colour table's tag (1) belongs.\n",
                        name, tag);
            return ERROR;
        }
        if (int32(&first) != OK)
            return ERROR;
        if (first > 0)
            return old_table(first, regions);
        if (first != -table_version) {
            print_error("Error reading \"%s\": unknown colour table version %d (version 2 "
                        "or an entry count is known).\n", name, first == INT32_MIN ? first : -first);
            return ERROR;
        }
        return new_table(regions);
    }
};

// Packed colour to region, the first entry (lowest index) of a colour
// winning; sorted for binary search.
std::vector<std::pair<std::int32_t, int>> colour_lookup(const parcellation &parcels,
                                                        const char *name)
{
    std::vector<std::pair<std::int32_t, int>> lookup;
    lookup.reserve(parcels.regions.size());
    for (std::size_t i = 0; i < parcels.regions.size(); ++i)
        lookup.emplace_back(annotation_packed_colour(parcels.regions[i].colour), int(i));
    std::stable_sort(lookup.begin(), lookup.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    // A table of one colour repeated thousands of times says so in a few
    // lines, not one a region.
    constexpr int told = 3;
    int shared = 0;
    std::size_t first = 0;
    for (std::size_t i = 1; i < lookup.size(); ++i) {
        if (lookup[i].first != lookup[i - 1].first) {
            first = i;
            continue;
        }
        if (++shared > told)
            continue;
        const parcel_region &a = parcels.regions[std::size_t(lookup[first].second)];
        const parcel_region &b = parcels.regions[std::size_t(lookup[i].second)];
        print_error("Warning reading \"%s\": regions \"%s\" and \"%s\" share one colour; "
                    "its vertices go to \"%s\".\n", name, a.name.c_str(), b.name.c_str(),
                    a.name.c_str());
    }
    if (shared > told)
        print_error("Warning reading \"%s\": %d more regions share a colour with an earlier "
                    "one; their vertices go to the earlier region.\n", name, shared - told);
    return lookup;
}

} // namespace

Status read_freesurfer_annotation(File file, parcellation *parcels)
{
    *parcels = parcellation{};
    annotation_reader in{file, file_name(file)};
    std::int32_t n = 0;
    if (file_bytes_remaining(file) < 4) {
        print_error("Error reading \"%s\": too short for a FreeSurfer annotation.\n", in.name);
        return ERROR;
    }
    if (in.int32(&n) != OK)
        return ERROR;
    if (n < 0 || 8 * std::uint64_t(n) > file_bytes_remaining(file)) {
        print_error("Error reading \"%s\": %d vertices do not fit in the file's %llu "
                    "bytes.\n", in.name, n,
                    static_cast<unsigned long long>(file_bytes_remaining(file) + 4));
        return ERROR;
    }
    std::vector<std::int32_t> pairs(2 * std::size_t(n));
    if (in.bytes(pairs.data(), pairs.size() * 4) != OK)
        return ERROR;
    big_endian_words_to_host(pairs.data(), pairs.size());
    parcellation result;
    if (in.table(&result.regions) != OK)
        return ERROR;
    const auto lookup = colour_lookup(result, in.name);
    result.vertex_regions.assign(std::size_t(n), no_region);
    std::int32_t last_colour = 0;
    int last_region = no_region, missing = 0, missing_example = 0;
    for (std::size_t i = 0; i < std::size_t(n); ++i) {
        const std::int32_t vertex = pairs[2 * i], packed = pairs[2 * i + 1];
        if (vertex < 0 || vertex >= n) {
            print_error("Error reading \"%s\": vertex %d lies outside its %d vertices.\n",
                        in.name, vertex, n);
            return ERROR;
        }
        if (packed == 0)
            continue; // unlabelled
        if (packed != last_colour || last_region == no_region) {
            auto at = std::lower_bound(lookup.begin(), lookup.end(), packed,
                                       [](const auto &e, std::int32_t v) { return e.first < v; });
            last_colour = packed;
            last_region = at != lookup.end() && at->first == packed ? at->second : no_region;
            if (last_region == no_region) {
                if (missing++ == 0)
                    missing_example = packed;
                continue;
            }
        }
        result.vertex_regions[std::size_t(vertex)] = last_region;
    }
    if (missing > 0)
        print_error("Warning reading \"%s\": %d vertices have a label (%d, for one) that no "
                    "colour table entry has; they are unknown.\n", in.name, missing,
                    missing_example);
    result.format = FREESURFER_ANNOTATION;
    *parcels = std::move(result);
    return OK;
}

Status input_freesurfer_annotation(const char *filename, parcellation *parcels)
{
    *parcels = parcellation{};
    File file;
    if (open_file(filename, READ_FILE, BINARY_FORMAT, &file) != OK)
        return ERROR;
    Status status = read_freesurfer_annotation(file, parcels);
    close_file(file);
    return status;
}

Status output_freesurfer_annotation(const char *filename, const parcellation &parcels)
{
    std::vector<std::pair<std::int32_t, std::size_t>> colours;
    std::int32_t max_key = -1;
    for (std::size_t i = 0; i < parcels.regions.size(); ++i) {
        const parcel_region &r = parcels.regions[i];
        if (r.key < 0) {
            print_error("Error writing \"%s\": region \"%s\" has key %d; an annotation's "
                        "table indices are 0 or more.\n", filename, r.name.c_str(), r.key);
            return ERROR;
        }
        max_key = std::max(max_key, r.key);
        colours.emplace_back(annotation_packed_colour(r.colour), i);
    }
    std::sort(colours.begin(), colours.end());
    std::vector<std::pair<int, std::size_t>> keys;
    for (std::size_t i = 0; i < parcels.regions.size(); ++i)
        keys.emplace_back(parcels.regions[i].key, i);
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].first == keys[i - 1].first) {
            print_error("Error writing \"%s\": regions \"%s\" and \"%s\" share key %d.\n",
                        filename, parcels.regions[keys[i - 1].second].name.c_str(),
                        parcels.regions[keys[i].second].name.c_str(), keys[i].first);
            return ERROR;
        }
    }
    for (std::size_t i = 1; i < colours.size(); ++i) {
        if (colours[i].first == colours[i - 1].first) {
            const parcel_region &a = parcels.regions[colours[i - 1].second];
            const parcel_region &b = parcels.regions[colours[i].second];
            print_error("Error writing \"%s\": regions \"%s\" (key %d) and \"%s\" (key %d) "
                        "have the same colour %d %d %d, and an annotation tells regions "
                        "apart by colour.\n", filename, a.name.c_str(), a.key, b.name.c_str(),
                        b.key, a.colour.r, a.colour.g, a.colour.b);
            return ERROR;
        }
    }
    std::string out;
    auto put = [&out](std::int32_t value) {
        const std::uint32_t v = std::uint32_t(value);
        const char word[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        out.append(word, 4);
    };
    auto put_string = [&](const std::string &text) {
        put(std::int32_t(text.size() + 1));
        out.append(text.c_str(), text.size() + 1);
    };
    const std::size_t n = parcels.vertex_regions.size();
    out.reserve(16 + 8 * n + 64 * parcels.regions.size());
    put(std::int32_t(n));
    for (std::size_t v = 0; v < n; ++v) {
        const int region = parcels.vertex_regions[v];
        put(std::int32_t(v));
        put(region >= 0 && std::size_t(region) < parcels.regions.size()
                ? annotation_packed_colour(parcels.regions[std::size_t(region)].colour)
                : 0);
    }
    // A vertex names its region by colour, so renumbering the table changes
    // no vertex's region, only the indices the table lists.
    const bool renumbered = max_key >= annotation_max_index;
    if (renumbered)
        print_error("Warning writing \"%s\": region keys up to %d are written as table "
                    "indices 0 to %zu.\n",
                    filename, max_key, parcels.regions.size() - 1);
    put(colour_table_tag);
    put(-table_version);
    put(renumbered ? std::int32_t(parcels.regions.size()) : max_key + 1);
    put_string("NOFILE");
    put(std::int32_t(parcels.regions.size()));
    // in index order, as readers that list the names in file order expect
    std::vector<const parcel_region *> by_key;
    for (const parcel_region &r : parcels.regions)
        by_key.push_back(&r);
    std::stable_sort(by_key.begin(), by_key.end(),
                     [](const parcel_region *a, const parcel_region *b) { return a->key < b->key; });
    std::int32_t index = 0;
    for (const parcel_region *entry : by_key) {
        const parcel_region &r = *entry;
        put(renumbered ? index++ : r.key);
        put_string(r.name);
        put(r.colour.r);
        put(r.colour.g);
        put(r.colour.b);
        put(0); // opaque: the annotation keeps no alpha
    }
    File file;
    if (open_file(filename, WRITE_FILE, BINARY_FORMAT, &file) != OK)
        return ERROR;
    Status status = io_binary_data(file, WRITE_FILE, out.data(), 1, out.size());
    if (close_file(file) != OK || status != OK) {
        print_error("Error writing \"%s\".\n", filename);
        return ERROR;
    }
    return OK;
}
