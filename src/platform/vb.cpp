#include "platform/vb.h"

#include <cctype>
#include <cstdlib>

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

size_t skipDigits(const std::string& s, size_t i) {
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return i;
}

}  // namespace

double Val(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;

    size_t i = begin;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t intStart = i;
    i = skipDigits(text, i);
    bool digits = i > intStart;
    if (i < text.size() && text[i] == '.') {
        const size_t fracStart = i + 1;
        const size_t fracEnd = skipDigits(text, fracStart);
        if (digits || fracEnd > fracStart) {
            digits = true;
            i = fracEnd;
        }
    }
    if (!digits)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const size_t expEnd = skipDigits(text, e);
        if (expEnd > e)
            i = expEnd;
    }
    const double v = std::strtod(text.substr(begin, i - begin).c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}
