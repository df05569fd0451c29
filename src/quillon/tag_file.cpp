// Reader of tag-point files (format described in tag_file.h).
#include "tag_file.h"

#include "tag_tokens.h"

#include <climits>
#include <cstring>

using namespace tag_tokens;

namespace {

// What has been read so far; grown by doubling so that many thousands of
// points cost a handful of reallocations.
struct tag_lists {
    std::size_t n = 0;
    std::size_t capacity = 0;
    double *coords1 = nullptr;
    double *coords2 = nullptr;
    double *weights = nullptr;
    int *structure_ids = nullptr;
    int *patient_ids = nullptr;
    STRING *labels = nullptr;
    char *label_text = nullptr;      // scratch for the label being read
    std::size_t label_capacity = 0;
};

void free_lists(tag_lists *lists)
{
    for (std::size_t i = 0; i < lists->n; ++i)
        delete_string(lists->labels[i]);
    free_array(lists->coords1, "tag_file", __LINE__);
    free_array(lists->coords2, "tag_file", __LINE__);
    free_array(lists->weights, "tag_file", __LINE__);
    free_array(lists->structure_ids, "tag_file", __LINE__);
    free_array(lists->patient_ids, "tag_file", __LINE__);
    free_array(lists->labels, "tag_file", __LINE__);
    free_array(lists->label_text, "tag_file", __LINE__);
    *lists = tag_lists{};
}

// Room for one more point.
Status reserve_point(tag_lists *lists, int n_volumes)
{
    if (lists->n < lists->capacity)
        return OK;
    std::size_t old_cap = lists->capacity;
    std::size_t new_cap = old_cap == 0 ? 64 : old_cap * 2;
    if (grow_array(lists->coords1, 3 * old_cap, 3 * new_cap, 1, "tag_file", __LINE__) != OK ||
        (n_volumes == 2 &&
         grow_array(lists->coords2, 3 * old_cap, 3 * new_cap, 1, "tag_file", __LINE__) != OK) ||
        grow_array(lists->weights, old_cap, new_cap, 1, "tag_file", __LINE__) != OK ||
        grow_array(lists->structure_ids, old_cap, new_cap, 1, "tag_file", __LINE__) != OK ||
        grow_array(lists->patient_ids, old_cap, new_cap, 1, "tag_file", __LINE__) != OK ||
        grow_array(lists->labels, old_cap, new_cap, 1, "tag_file", __LINE__) != OK)
        return ERROR;
    lists->capacity = new_cap;
    return OK;
}

Status append_label_char(tag_lists *lists, std::size_t n, char c)
{
    if (n + 1 >= lists->label_capacity) {
        std::size_t new_cap = lists->label_capacity == 0 ? 64 : lists->label_capacity * 2;
        if (grow_array(lists->label_text, lists->label_capacity, new_cap, 1, "tag_file",
                       __LINE__) != OK)
            return ERROR;
        lists->label_capacity = new_cap;
    }
    lists->label_text[n] = c;
    return OK;
}

// The opening quote has been read. Labels end on their own line.
Status read_label(tag_reader *r, tag_lists *lists, int point, STRING *label)
{
    std::size_t n = 0;
    for (;;) {
        // The line end is left unread so that the message names the label's line.
        int c = peek(r);
        if (c == '\n' || c == EOF) {
            tag_error(r, "the label of point %d has no closing '\"'", point);
            return ERROR;
        }
        get(r);
        if (c == '\\') {
            c = peek(r);
            if (c == '\n' || c == EOF) {
                tag_error(r, "the label of point %d ends in a lone backslash", point);
                return ERROR;
            }
            get(r);
            if (c == 'n')
                c = '\n';
            else if (c == 't')
                c = '\t';
        } else if (c == '"') {
            break;
        }
        if (append_label_char(lists, n++, static_cast<char>(c)) != OK)
            return ERROR;
    }
    if (append_label_char(lists, n, '\0') != OK)
        return ERROR;
    *label = create_string(lists->label_text);
    return *label != nullptr ? OK : ERROR;
}

Status read_header(tag_reader *r, int *n_volumes)
{
    if (peek(r) == EOF) {
        tag_error(r, "the file is empty");
        return ERROR;
    }
    skip_line(r);   // the title

    int volumes = 0;
    char word[32];
    char token[max_token + 1];
    char spare[2];
    for (;;) {
        skip_space(r);
        int c = peek(r);
        if (c == EOF) {
            tag_error(r, "no 'Points =' before the end of the file");
            return ERROR;
        }
        if (c == '%') {
            skip_line(r);
            continue;
        }
        read_word(r, word, sizeof word);
        if (std::strcmp(word, "Volumes") == 0) {
            skip_space(r);
            if (get(r) != '=') {
                tag_error(r, "expected '=' after 'Volumes'");
                return ERROR;
            }
            skip_space(r);
            read_token(r, token);
            if (std::strcmp(token, "1") != 0 && std::strcmp(token, "2") != 0) {
                tag_error(r, "'Volumes =' must be followed by 1 or 2, not %s",
                          shown_token(r, token, spare));
                return ERROR;
            }
            if (volumes != 0) {
                tag_error(r, "'Volumes =' is given twice");
                return ERROR;
            }
            volumes = token[0] - '0';
            skip_space(r);
            if (get(r) != ';') {
                tag_error(r, "expected ';' after 'Volumes = %d'", volumes);
                return ERROR;
            }
        } else if (std::strcmp(word, "Points") == 0) {
            if (volumes == 0) {
                tag_error(r, "'Points =' comes before 'Volumes ='");
                return ERROR;
            }
            skip_space(r);
            if (get(r) != '=') {
                tag_error(r, "expected '=' after 'Points'");
                return ERROR;
            }
            *n_volumes = volumes;
            return OK;
        } else {
            read_token(r, token);
            if (word[0] == '\0' && token[0] == '\0') {
                spare[0] = static_cast<char>(c);
                spare[1] = '\0';
            }
            tag_error(r, "unexpected '%s%s' before 'Points ='", word,
                      word[0] == '\0' && token[0] == '\0' ? spare : token);
            return ERROR;
        }
    }
}

const char *const axis_names[] = {"x", "y", "z"};

Status read_points(tag_reader *r, int n_volumes, tag_lists *lists)
{
    char token[max_token + 1];
    char spare[2];
    const int n_coords = 3 * n_volumes;
    for (;;) {
        skip_space(r);
        int c = peek(r);
        if (c == ';') {
            get(r);
            return OK;
        }
        if (c == EOF) {
            tag_error(r, "the point list is not ended by ';'");
            return ERROR;
        }
        if (lists->n >= static_cast<std::size_t>(INT_MAX)) {
            tag_error(r, "too many points");
            return ERROR;
        }
        if (reserve_point(lists, n_volumes) != OK)
            return ERROR;

        const std::size_t i = lists->n;
        const int point = static_cast<int>(i) + 1;   // as people count them
        for (int k = 0; k < n_coords; ++k) {
            skip_space(r);
            c = peek(r);
            if (c == EOF || c == ';') {
                tag_error(r, "point %d is cut short: %d of its %d coordinates given",
                          point, k, n_coords);
                return ERROR;
            }
            read_token(r, token);
            double value;
            if (!parse_real(token, &value)) {
                tag_error(r, "point %d: expected a number for %s%s, found %s", point,
                          axis_names[k % 3], k >= 3 ? " of the second volume" : "",
                          shown_token(r, token, spare));
                return ERROR;
            }
            if (k < 3)
                lists->coords1[3 * i + k] = value;
            else
                lists->coords2[3 * i + k - 3] = value;
        }

        // Weight and ids share the line of the last coordinate.
        char extras[3][max_token + 1];
        int n_extras = 0;
        skip_blanks(r);
        for (c = peek(r); n_extras < 3 && !ends_token(c); c = peek(r)) {
            read_token(r, extras[n_extras++]);
            skip_blanks(r);
        }
        double weight = 0.0;
        int structure_id = -1;
        int patient_id = -1;
        if (n_extras > 0) {
            if (n_extras < 3) {
                tag_error(r, "point %d: a weight, a structure id and a patient id "
                          "must be given together (found %d of them)", point, n_extras);
                return ERROR;
            }
            if (!parse_real(extras[0], &weight)) {
                tag_error(r, "point %d: the weight %s is not a number", point, extras[0]);
                return ERROR;
            }
            if (!parse_id(extras[1], &structure_id)) {
                tag_error(r, "point %d: the structure id %s is not an integer", point,
                          extras[1]);
                return ERROR;
            }
            if (!parse_id(extras[2], &patient_id)) {
                tag_error(r, "point %d: the patient id %s is not an integer", point,
                          extras[2]);
                return ERROR;
            }
        }
        STRING label = nullptr;
        if (peek(r) == '"') {
            get(r);
            if (read_label(r, lists, point, &label) != OK)
                return ERROR;
            skip_blanks(r);
        }
        c = peek(r);
        if (c != EOF && c != '\n' && c != ';') {
            delete_string(label);
            read_token(r, token);
            tag_error(r, "unexpected %s after point %d (one point per line when "
                      "weights or labels follow it)", shown_token(r, token, spare), point);
            return ERROR;
        }
        if (label == nullptr && (label = create_string(nullptr)) == nullptr)
            return ERROR;
        lists->weights[i] = weight;
        lists->structure_ids[i] = structure_id;
        lists->patient_ids[i] = patient_id;
        lists->labels[i] = label;
        lists->n = i + 1;
    }
}

// An array of pointers to each point's x, y, z inside 'coords'.
Status point_pointers(double *coords, std::size_t n, double ***pointers)
{
    *pointers = nullptr;
    if (n == 0)
        return OK;
    if (alloc_array(*pointers, n, "tag_file", __LINE__) != OK)
        return ERROR;
    for (std::size_t i = 0; i < n; ++i)
        (*pointers)[i] = coords + 3 * i;
    return OK;
}

template <typename T>
void hand_over(T *&from, T **to)
{
    if (to != nullptr) {
        *to = from;
        from = nullptr;
    }
}

// Where the caller wants the results; any of them may be null.
struct tag_outputs {
    int *n_volumes;
    int *n_points;
    double ***positions;
    double ***positions2;
    double **weights;
    int **structure_ids;
    int **patient_ids;
    STRING **labels;

    // Outputs are defined whatever happens afterwards.
    void clear() const
    {
        if (n_volumes != nullptr) *n_volumes = 0;
        if (n_points != nullptr) *n_points = 0;
        if (positions != nullptr) *positions = nullptr;
        if (positions2 != nullptr) *positions2 = nullptr;
        if (weights != nullptr) *weights = nullptr;
        if (structure_ids != nullptr) *structure_ids = nullptr;
        if (patient_ids != nullptr) *patient_ids = nullptr;
        if (labels != nullptr) *labels = nullptr;
    }
};

// Reads the opened file to its end and closes it.
Status read_tag_points(tag_reader *reader, const tag_outputs &out)
{
    tag_lists lists;
    int volumes = 0;
    Status status = read_header(reader, &volumes);
    if (status == OK)
        status = read_points(reader, volumes, &lists);

    close_file(reader->file);
    reader->file = nullptr;

    double **pointers1 = nullptr;
    double **pointers2 = nullptr;
    if (status == OK && out.positions != nullptr)
        status = point_pointers(lists.coords1, lists.n, &pointers1);
    if (status == OK && out.positions2 != nullptr && volumes == 2)
        status = point_pointers(lists.coords2, lists.n, &pointers2);
    if (status != OK) {
        free_array(pointers1, "tag_file", __LINE__);
        free_lists(&lists);
        return ERROR;
    }

    if (out.n_volumes != nullptr)
        *out.n_volumes = volumes;
    if (out.n_points != nullptr)
        *out.n_points = static_cast<int>(lists.n);
    if (lists.n > 0) {
        // The pointer arrays now own the coordinate blocks.
        if (pointers1 != nullptr) {
            *out.positions = pointers1;
            lists.coords1 = nullptr;
        }
        if (pointers2 != nullptr) {
            *out.positions2 = pointers2;
            lists.coords2 = nullptr;
        }
        hand_over(lists.weights, out.weights);
        hand_over(lists.structure_ids, out.structure_ids);
        hand_over(lists.patient_ids, out.patient_ids);
        if (out.labels != nullptr) {
            *out.labels = lists.labels;
            lists.labels = nullptr;
            lists.n = 0;   // the labels are the caller's now
        }
    }
    free_lists(&lists);
    return OK;
}

} // namespace

Status input_tag_file(const char *name, int *n_volumes, int *n_points,
                      double ***positions, double ***positions2,
                      double **weights, int **structure_ids,
                      int **patient_ids, STRING **labels)
{
    const tag_outputs out{n_volumes,     n_points,    positions, positions2,
                          weights,       structure_ids, patient_ids, labels};
    out.clear();
    if (name == nullptr || name[0] == '\0') {
        print_error("Error reading tag file: no file name given\n");
        return ERROR;
    }
    tag_reader reader;
    reader.name = name;
    int error = quillon_internal::open_descriptor_file(name, READ_FILE, false,
                                                       &reader.file);
    if (error != 0) {
        print_error("Error reading tag file \"%s\": %s\n", name, std::strerror(error));
        return ERROR;
    }
    return read_tag_points(&reader, out);
}

Status input_tag_memory(const void *data, std::size_t size, const char *name,
                        int *n_volumes, int *n_points, double ***positions,
                        double ***positions2, double **weights,
                        int **structure_ids, int **patient_ids, STRING **labels)
{
    const tag_outputs out{n_volumes,     n_points,    positions, positions2,
                          weights,       structure_ids, patient_ids, labels};
    out.clear();
    tag_reader reader;
    reader.name = name != nullptr ? name : "";
    int error = quillon_internal::open_memory_bytes(data, size, reader.name, &reader.file);
    if (error != 0) {
        print_error("Error reading tag file \"%s\": %s\n", reader.name,
                    std::strerror(error));
        return ERROR;
    }
    return read_tag_points(&reader, out);
}

void free_tag_points(int n_volumes, int n_points, double **positions,
                     double **positions2, double *weights, int *structure_ids,
                     int *patient_ids, STRING *labels)
{
    (void)n_volumes;
    // Each pointer array points into one block that starts at entry 0.
    if (positions != nullptr) {
        if (n_points > 0)
            free_array(positions[0], "tag_file", __LINE__);
        free_array(positions, "tag_file", __LINE__);
    }
    if (positions2 != nullptr) {
        if (n_points > 0)
            free_array(positions2[0], "tag_file", __LINE__);
        free_array(positions2, "tag_file", __LINE__);
    }
    free_array(weights, "tag_file", __LINE__);
    free_array(structure_ids, "tag_file", __LINE__);
    free_array(patient_ids, "tag_file", __LINE__);
    if (labels != nullptr) {
        for (int i = 0; i < n_points; ++i)
            delete_string(labels[i]);
        free_array(labels, "tag_file", __LINE__);
    }
}
