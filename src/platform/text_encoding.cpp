#include "platform/text_encoding.hpp"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace mivo {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts; an unconvertible or incomplete sequence costs one input byte
    // and yields '?'. Returns false when anything was replaced.
    bool Run(std::string_view in, std::string& out) {
        out.clear();
        bool clean = true;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buf[1024];
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                clean = false;
                out.push_back('?');
                ++src;
                --left;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        return clean;
    }

private:
    iconv_t cd_;
};

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}
Converter& ToSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
    if (IsAscii(sjis)) return std::string(sjis);
    std::string out;
    ToUtf8().Run(sjis, out);
    return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    ToSjis().Run(utf8, out);
    return out;
}

bool IsValidSjis(std::string_view sjis) {
    if (IsAscii(sjis)) return true;
    std::string out;
    return ToUtf8().Run(sjis, out);
}

}  // namespace mivo
