#define PCRE2_CODE_UNIT_WIDTH 8
#include "zelRegex.h"

#include <pcre2.h>

#include <cstdint>
#include <new>

struct zelRegex::Code {
    pcre2_code* re = nullptr;
    ~Code() { pcre2_code_free(re); }
};

namespace {

// Match data for the calling thread, kept between searches: PCRE2 keeps the
// heap frames of a match in it, and making new ones for every search costs
// more than many a search itself. Grown when a pattern has more groups.
class MatchData {
public:
    explicit MatchData(const pcre2_code* re) {
        uint32_t groups = 0;
        pcre2_pattern_info(re, PCRE2_INFO_CAPTURECOUNT, &groups);
        Cached& cached = cache();
        if (!cached.md || pcre2_get_ovector_count(cached.md) < groups + 1) {
            pcre2_match_data* grown = pcre2_match_data_create(groups + 1, nullptr);
            if (!grown)
                throw std::bad_alloc();
            pcre2_match_data_free(cached.md);
            cached.md = grown;
        }
        md = cached.md;
    }
    pcre2_match_data* md;

private:
    struct Cached {
        pcre2_match_data* md = nullptr;
        ~Cached() { pcre2_match_data_free(md); }
    };
    static Cached& cache() {
        thread_local Cached cached;
        return cached;
    }
};

PCRE2_SPTR bytes(std::string_view s) { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

} // namespace

zelRegex::zelRegex(std::string_view pattern, std::string_view flags) : code(std::make_unique<Code>()) {
    uint32_t options = 0;
    for (char f : flags) {
        if (f == 'i')
            options |= PCRE2_CASELESS;
        else if (f == 'g')
            global = true;
    }
    int error = 0;
    PCRE2_SIZE offset = 0;
    code->re = pcre2_compile(bytes(pattern), pattern.size(), options, &error, &offset, nullptr);
    if (!code->re) {
        PCRE2_UCHAR text[256];
        pcre2_get_error_message(error, text, sizeof text);
        throw CompileError(std::string(reinterpret_cast<char*>(text)) + " at offset " + std::to_string(offset) +
                           " of \"" + std::string(pattern) + "\"");
    }
}

zelRegex::zelRegex(zelRegex&&) noexcept = default;
zelRegex& zelRegex::operator=(zelRegex&&) noexcept = default;
zelRegex::~zelRegex() = default;

bool zelRegex::search(std::string_view subject) const {
    MatchData m(code->re);
    return pcre2_match(code->re, bytes(subject), subject.size(), 0, 0, m.md, nullptr) >= 0;
}

bool zelRegex::search(std::string_view subject, std::vector<std::string>& groups) const {
    MatchData m(code->re);
    int rc = pcre2_match(code->re, bytes(subject), subject.size(), 0, 0, m.md, nullptr);
    if (rc < 0)
        return false;
    groups.clear();
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m.md);
    for (int i = 0; i < rc; ++i) {
        if (ov[2 * i] == PCRE2_UNSET)
            groups.emplace_back();
        else
            groups.emplace_back(subject.substr(ov[2 * i], ov[2 * i + 1] - ov[2 * i]));
    }
    return true;
}

std::string zelRegex::replace(std::string_view subject, std::string_view replacement) const {
    uint32_t options = PCRE2_SUBSTITUTE_LITERAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    if (global)
        options |= PCRE2_SUBSTITUTE_GLOBAL;
    std::string out(subject.size() + replacement.size() + 16, '\0');
    for (;;) {
        PCRE2_SIZE length = out.size();
        int rc = pcre2_substitute(code->re, bytes(subject), subject.size(), 0, options, nullptr, nullptr,
                                  bytes(replacement), replacement.size(),
                                  reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (rc == PCRE2_ERROR_NOMEMORY) {
            // `length` now holds the size needed, terminating zero included.
            out.resize(length);
            continue;
        }
        if (rc < 0)
            return std::string(subject);
        out.resize(length);
        return out;
    }
}

std::vector<std::string> zelRegex::split(std::string_view subject) const {
    std::vector<std::string> pieces;
    MatchData m(code->re);
    PCRE2_SIZE start = 0, pieceStart = 0;
    while (start <= subject.size()) {
        int rc = pcre2_match(code->re, bytes(subject), subject.size(), start, 0, m.md, nullptr);
        if (rc < 0)
            break;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m.md);
        if (ov[1] == ov[0]) {
            // An empty match splits nothing; move on one byte so the search ends.
            start = ov[1] + 1;
            continue;
        }
        pieces.emplace_back(subject.substr(pieceStart, ov[0] - pieceStart));
        pieceStart = start = ov[1];
    }
    pieces.emplace_back(subject.substr(pieceStart));
    return pieces;
}
