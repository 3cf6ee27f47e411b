#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

enum class RegistryType { String, Number, Other };

// One typed value. Other stands for every type Ferrolux does not use (binary,
// multi-string, a line it cannot read); such a value is kept, never altered.
struct RegistryValue {
    RegistryType type = RegistryType::Other;
    QString text;
    uint32_t number = 0;

    static RegistryValue string(const QString& text) { return {RegistryType::String, text, 0}; }
    static RegistryValue dword(uint32_t number) { return {RegistryType::Number, {}, number}; }
};

// The store file in the registry export format: a header line, then
// "[key]" sections of "Name"=value lines. Keys and value names compare
// without regard to letter case, as the registry does. Lines that are not
// changed are written back byte for byte, so keys of other programs,
// comments and anything Ferrolux does not understand survive a rewrite.
class RegistryDocument {
public:
    // An empty store with the current header.
    static RegistryDocument fresh();
    // nullopt when the bytes are not a registry file at all (no header,
    // binary data). An empty or blank file is a fresh store.
    static std::optional<RegistryDocument> parse(std::string_view bytes);

    std::string serialize() const;

    // A key exists when it has a section of its own or of one of its subkeys.
    bool hasKey(const QString& key) const;
    void addKey(const QString& key);
    // The last line of that name in the key wins, as on import.
    std::optional<RegistryValue> value(const QString& key, const QString& name) const;
    // Replaces the value in place (dropping duplicates) or appends it to the
    // key's last section, adding the key if it is missing.
    void setValue(const QString& key, const QString& name, const RegistryValue& value);

private:
    enum class Kind { Other, Key, Value };
    struct Entry {
        Kind kind = Kind::Other;
        std::vector<std::string> raw; // lines as read; empty once generated
        QString name;                 // key path or value name
        RegistryValue value;
    };

    static Entry generated(Kind kind, const QString& name, const RegistryValue& value = {});
    std::vector<std::string> linesOf(const Entry& entry) const;
    std::vector<size_t> valueEntries(const QString& key, const QString& name) const;
    std::optional<size_t> endOfLastSection(const QString& key) const;

    std::string header_;
    std::string eol_ = "\n";
    bool bom_ = false;
    bool unicode_ = true; // hex(1) data is UTF-16LE in the current format
    std::vector<Entry> entries_;
};

} // namespace ferrolux
