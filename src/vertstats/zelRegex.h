// A compiled PCRE2 pattern that owns its code: compile once, then search,
// capture, replace and split as often as needed.
#ifndef ZEL_REGEX_H
#define ZEL_REGEX_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class zelRegex {
public:
    // The pattern does not compile; `what` holds PCRE2's message and the offset.
    class CompileError {
    public:
        explicit CompileError(std::string message) : what(std::move(message)) {}
        std::string what;
    };

    // Flags: "i" ignores case, "g" makes replace() act on every match.
    explicit zelRegex(std::string_view pattern, std::string_view flags = "");
    zelRegex(zelRegex&&) noexcept;
    zelRegex& operator=(zelRegex&&) noexcept;
    ~zelRegex();

    // True when the pattern matches anywhere in the subject.
    bool search(std::string_view subject) const;
    // As above; on a match `groups` holds the whole match and then every group.
    bool search(std::string_view subject, std::vector<std::string>& groups) const;
    // The subject with the first match (every match with "g") replaced by the
    // replacement text, taken literally.
    std::string replace(std::string_view subject, std::string_view replacement) const;
    // The pieces between matches, empty ones included: n matches give n + 1 pieces.
    std::vector<std::string> split(std::string_view subject) const;

private:
    struct Code;
    std::unique_ptr<Code> code;
    bool global = false;
};

#endif
