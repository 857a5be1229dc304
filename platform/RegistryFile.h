// The text form of the per-user store: registry export files ("Windows Registry Editor
// Version 5.00", [HKEY_CURRENT_USER\...] sections, "Name"="text" and "Name"=dword:0000002a
// values). Reads from and writes to strings only; the disk side lives in platform/Registry.cpp.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegType : uint8_t {
  String,  // "Name"="text" (or hex(1): UTF-16 text, used for text that cannot stand in quotes)
  DWord,   // "Name"=dword:0000002a
  Other,   // any other hex(...) data: kept as written, never interpreted
};

struct RegValue {
  std::string Name;
  RegType Type = RegType::String;
  std::string Text;     // String: the text; Other: the data as written after '='
  uint32_t Number = 0;  // DWord
};

// One key with its values; Path is relative to HKEY_CURRENT_USER ("SOFTWARE\Maker\Game").
struct RegKey {
  std::string Path;
  std::vector<RegValue> Values;

  RegValue* FindValue(std::string_view name);
  const RegValue* FindValue(std::string_view name) const;
  // Replaces the value of the same name in place, or appends it.
  void SetValue(RegValue value);
};

// A whole file: its keys in file order. Key paths and value names compare without regard to
// ASCII case, as the registry does.
struct RegDocument {
  std::vector<RegKey> Keys;

  RegKey* FindKey(std::string_view path);
  const RegKey* FindKey(std::string_view path) const;
  // A key exists when it has a section of its own or any key below it has one.
  bool KeyExists(std::string_view path) const;
  // The key's section, added at the end when it has none.
  RegKey& AddKey(std::string_view path);
};

// A file that is not a well-formed export file; Line counts from 1.
class RegParseError : public std::runtime_error {
 public:
  RegParseError(int line, const std::string& reason);
  int Line() const { return LineNumber; }
  const std::string& Reason() const { return ReasonText; }

 private:
  int LineNumber;
  std::string ReasonText;
};

// Throws RegParseError for anything it does not understand; an empty text is an empty store.
RegDocument ParseRegistryText(std::string_view text);
std::string FormatRegistryText(const RegDocument& document);

bool SameName(std::string_view a, std::string_view b);
// Key paths: components separated by single backslashes, none empty, no control characters.
bool IsValidKeyPath(std::string_view path);
// Value names: any text without line breaks or NUL ("" is the key's default value).
bool IsValidValueName(std::string_view name);

}  // namespace platform
