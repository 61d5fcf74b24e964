// Path text functions: '\' separates folders, ':' ends a drive; scanned
// double-byte aware, since 0x5C occurs as a second byte.
#include "core/sjis.hpp"
#include "script/jstrings.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

// Position after the last single-byte '\' or ':' (0 when none).
size_t PathEnd(const std::string& s) {
    size_t end = 0;
    for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i)) {
        if (sjis::CharLen(s, i) == 1 && (s[i] == '\\' || s[i] == ':')) end = i + 1;
    }
    return end;
}

// Position of the extension's dot after the last delimiter, or npos.
size_t ExtStart(const std::string& s) {
    size_t dot = std::string::npos;
    for (size_t i = PathEnd(s); i < s.size(); i += sjis::CharLen(s, i)) {
        if (sjis::CharLen(s, i) == 1 && s[i] == '.') dot = i;
    }
    return dot;
}

bool EndsWithBackslash(const std::string& s) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i)) last = i;
    return last != std::string::npos && sjis::CharLen(s, last) == 1 && s[last] == '\\';
}

void ExtractFilePathF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetStr(s.substr(0, PathEnd(s)));
}
void ExtractFileNameF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetStr(s.substr(PathEnd(s)));
}
void ExtractFileExtF(TFuncCall& c) {
    std::string s = c.Str(0);
    size_t dot = ExtStart(s);
    c.SetStr(dot == std::string::npos ? std::string() : s.substr(dot));
}
void IsPathDelimiterF(TFuncCall& c) { c.SetBool(SingleByteAt(c.Str(0), c.Int(1)) == '\\'); }
void AddBackSlashF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetStr(EndsWithBackslash(s) ? s : s + "\\");
}
void ChangeFileExtF(TFuncCall& c) {
    std::string s = c.Str(0);
    size_t dot = ExtStart(s);
    c.SetStr((dot == std::string::npos ? s : s.substr(0, dot)) + c.Str(1));
}

}  // namespace

void RegisterPathFunctions(SysFuncHandler* t) {
    SetHandler(t, "ExtractFilePath", ExtractFilePathF);
    SetHandler(t, "ExtractFileName", ExtractFileNameF);
    SetHandler(t, "ExtractFileExt", ExtractFileExtF);
    SetHandler(t, "IsPathDelimiter", IsPathDelimiterF);
    SetHandler(t, "AddBackSlash", AddBackSlashF);
    SetHandler(t, "ChangeFileExt", ChangeFileExtF);
}

}  // namespace mivo::script
