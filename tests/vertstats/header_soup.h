// Generated headers full of misnested and stray tags, and a checksum of the
// files written from them. The checksums recorded in the tests come from the
// header parser as it was before closing tags were resolved in linear time.
#ifndef VERTSTATS_HEADER_SOUP_H
#define VERTSTATS_HEADER_SOUP_H

#include <cstdint>
#include <string>
#include <string_view>

// "<b>", "</a>", "<c>", "</a>" repeated inside "<p>" after a closed "<a>":
// every opening tag renames p, every closing tag looks up "a".
inline std::string strayClosingTags(std::size_t repeats, bool withText) {
    std::string s = "<header>\n<p>\n<a>\n</a>\n";
    for (std::size_t i = 0; i < repeats; ++i) {
        s += "<b>\n";
        if (withText)
            s += "b" + std::to_string(i) + "\n";
        s += "</a>\n<c>\n";
        if (withText)
            s += "c" + std::to_string(i) + "\n";
        s += "</a>\n";
    }
    return s + "</header>\nA\n1\n";
}

// Random lines of tags and text; the same seed always gives the same text.
inline std::string tagSoup(std::uint64_t seed, std::size_t lines) {
    static const char* const names[] = {"a", "b", "c", "d", "p", "header", "Q"};
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    auto next = [&state](std::uint64_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state % bound;
    };
    std::string s = next(4) == 0 ? "x <header> y\n" : "<header>\n";
    for (std::size_t i = 0; i < lines; ++i) {
        std::string name = names[next(7)];
        switch (next(6)) {
        case 0:
        case 1:
            s += "<" + name + ">\n";
            break;
        case 2:
        case 3:
            s += "</" + (name == "header" ? std::string("d") : name) + ">\n";
            break;
        case 4:
            s += "x<" + name + ">y\n";
            break;
        default:
            s += "text " + std::to_string(i) + "\n";
        }
    }
    return s + "</header>\nA B\n1 2\n3 4\n";
}

inline std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

#endif
