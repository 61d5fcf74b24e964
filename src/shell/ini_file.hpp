#pragma once
// Settings files with the Windows INI rules: sections and keys match without
// regard to case, Booleans are integers (0 false), and writing a value keeps
// every other line of the file byte for byte.
#include <string>
#include <string_view>
#include <vector>

namespace mivo {

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(std::string_view text) { Parse(text); }

    // A missing file is an empty one.
    static TIniFile Load(const std::string& path);
    void Save(const std::string& path) const;
    std::string Text() const;

    bool HasKey(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal with "$" or "0x"; anything else gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

private:
    void Parse(std::string_view text);
    // Index of the key's line within the section, or -1.
    int FindKey(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;  // as read, without line ends
    std::string eol_ = "\r\n";
    bool final_eol_ = true;
};

}  // namespace mivo
