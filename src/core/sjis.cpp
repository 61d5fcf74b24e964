#include "core/sjis.hpp"

namespace mivo::sjis {

namespace {
template <char (*Fold)(char)>
std::string FoldCase(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        size_t n = CharLen(out, i);
        if (n == 1) out[i] = Fold(out[i]);
        i += n;
    }
    return out;
}

// Walks both strings character by character, folding only single-byte ones.
int CompareFolded(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        size_t na = CharLen(a, i), nb = CharLen(b, j);
        for (size_t k = 0; k < na || k < nb; ++k) {
            int ca = k < na ? static_cast<uint8_t>(na == 1 ? AsciiLower(a[i]) : a[i + k]) : -1;
            int cb = k < nb ? static_cast<uint8_t>(nb == 1 ? AsciiLower(b[j]) : b[j + k]) : -1;
            if (ca != cb) return ca < cb ? -1 : 1;
        }
        i += na;
        j += nb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}
}  // namespace

std::string LowerCase(std::string_view s) { return FoldCase<AsciiLower>(s); }
std::string UpperCase(std::string_view s) { return FoldCase<AsciiUpper>(s); }
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    return a == b || CompareFolded(a, b) == 0;
}
int CompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b); }

}  // namespace mivo::sjis
