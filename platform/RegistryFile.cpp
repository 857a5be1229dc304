#include "platform/RegistryFile.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <random>

namespace platform {

namespace {

constexpr std::string_view Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view OldHeader = "REGEDIT4";
constexpr std::string_view Root = "HKEY_CURRENT_USER";
constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::size_t MaxKeyComponent = 255;
constexpr std::size_t MaxValueName = 16383;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string ToHex(uint32_t number) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), Digits[number & 15]);
    number >>= 4;
  } while (number != 0);
  return out;
}

// --- UTF-8 <-> UTF-16LE, for text stored as hex(1) ---

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr uint32_t Replacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; malformed bytes give U+FFFD one at a time.
uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  std::size_t length = 0;
  uint32_t cp = 0, minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    ++i;
    return Replacement;
  }
  if (i + length > text.size()) {
    ++i;
    return Replacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return Replacement;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return Replacement;
  }
  i += length;
  return cp;
}

std::string EncodeUtf16Hex(std::string_view text) {
  std::vector<uint16_t> units;
  for (std::size_t i = 0; i < text.size();) {
    const uint32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      units.push_back(static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      units.push_back(static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<uint16_t>(cp));
    }
  }
  units.push_back(0);  // the registry keeps text with its terminating NUL
  static constexpr char Digits[] = "0123456789abcdef";
  std::string out = "hex(1):";
  for (std::size_t k = 0; k < units.size(); ++k) {
    for (const unsigned b : {units[k] & 0xFFu, static_cast<unsigned>(units[k] >> 8)}) {
      if (out.back() != ':') out += ',';
      out += Digits[b >> 4];
      out += Digits[b & 15];
    }
  }
  return out;
}

// The text of hex(1) data, when the data is a clean UTF-16 text: whole code units, surrogates
// in pairs, NULs only at the end. Anything else is not text we could write back unchanged.
std::optional<std::string> DecodeUtf16Text(const std::vector<uint8_t>& bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  bool ended = false;
  for (std::size_t k = 0; k < bytes.size(); k += 2) {
    const uint32_t unit = bytes[k] | (static_cast<uint32_t>(bytes[k + 1]) << 8);
    if (ended || unit == 0) {
      if (unit != 0) return std::nullopt;  // text after the terminating NUL
      ended = true;
      continue;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (k + 3 >= bytes.size()) return std::nullopt;
      const uint32_t low = bytes[k + 2] | (static_cast<uint32_t>(bytes[k + 3]) << 8);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      k += 2;
      continue;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    // A malformed byte gives U+FFFD and moves on by one; a real U+FFFD takes three bytes.
    if (NextCodePoint(text, i) == Replacement && i - at != 3) return false;
  }
  return true;
}

// Text that cannot stand between quotes on one line. A carriage return can: only one at the
// very end of a line is taken for part of its line break, and a quote always follows the text.
bool NeedsHexText(std::string_view text) {
  return text.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// --- Parsing ---

class Parser {
 public:
  explicit Parser(std::string_view text) {
    if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      Lines.push_back(line);
      start = end + 1;
    }
  }

  RegDocument Run() {
    RegDocument document;
    RegKey* key = nullptr;
    bool headerSeen = false;
    for (Index = 0; Index < Lines.size(); ++Index) {
      const std::string_view line = Trim(Lines[Index]);
      if (line.empty()) continue;
      if (!headerSeen) {
        if (line != Header && line != OldHeader)
          Fail("the file must begin with the line \"" + std::string(Header) + "\"");
        headerSeen = true;
      } else if (line.front() == ';') {
        continue;  // comment
      } else if (line.front() == '[') {
        key = &document.AddKey(ParseSection(line));
      } else if (line.front() == '"' || line.front() == '@') {
        if (key == nullptr) Fail("a value comes before the first [key] line");
        key->SetValue(ParseValue(line));
      } else {
        Fail("expected a [key] line or a \"Name\"=value line");
      }
    }
    return document;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw RegParseError(static_cast<int>(Index + 1), reason);
  }

  std::string ParseSection(std::string_view line) {
    if (line.back() != ']') Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner.front() == '-') Fail("deleting keys is not supported here");
    if (!StartsWithNoCase(inner, Root) || inner.size() < Root.size() + 2 || inner[Root.size()] != '\\')
      Fail("only keys below HKEY_CURRENT_USER belong in this file");
    const std::string_view path = inner.substr(Root.size() + 1);
    if (!IsValidKeyPath(path)) Fail("the key name is malformed");
    return std::string(path);
  }

  // A quoted string starting at s[0] == '"'; s is advanced past the closing quote.
  std::string ParseQuoted(std::string_view& s) {
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return out;
      }
      // Writing such a text back would cut it short at the NUL: refuse it here instead.
      if (c == '\0') Fail("a NUL character inside quotes cannot be kept");
      if (c == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
          Fail("a backslash in quotes must be written \\\\ (or \\\" for a quote)");
        ++i;
      }
      out += s[i];
    }
    Fail("a quoted text is not closed");
  }

  void ExpectEnd(std::string_view rest) {
    if (!Trim(rest).empty()) Fail("unexpected text after the value");
  }

  RegValue ParseValue(std::string_view line) {
    RegValue value;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      value.Name = ParseQuoted(rest);
      if (!IsValidValueName(value.Name)) Fail("the value name is malformed");
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
      value.Type = RegType::String;
      value.Text = ParseQuoted(rest);
      ExpectEnd(rest);
    } else if (StartsWithNoCase(rest, "dword:")) {
      value.Type = RegType::DWord;
      value.Number = ParseDWord(Trim(rest.substr(6)));
    } else if (StartsWithNoCase(rest, "hex")) {
      ParseHex(rest, value);
    } else if (!rest.empty() && rest.front() == '-') {
      Fail("deleting values is not supported here");
    } else {
      Fail("expected \"text\", dword:00000000 or hex:... after '='");
    }
    return value;
  }

  uint32_t ParseDWord(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) Fail("a dword needs one to eight hex digits");
    uint32_t number = 0;
    for (const char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) Fail("a dword needs one to eight hex digits");
      number = (number << 4) | static_cast<uint32_t>(d);
    }
    return number;
  }

  // hex:aa,bb or hex(N):aa,bb, possibly continued over lines ending in a backslash.
  void ParseHex(std::string_view rest, RegValue& value) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) Fail("expected ':' after hex");
    const std::string_view kind = rest.substr(3, colon - 3);
    bool typed = false;
    uint32_t type = 0;
    if (!kind.empty()) {
      if (kind.size() < 3 || kind.size() > 10 || kind.front() != '(' || kind.back() != ')')
        Fail("expected hex: or hex(type):");
      for (const char c : kind.substr(1, kind.size() - 2)) {
        if (HexDigit(c) < 0) Fail("expected hex: or hex(type):");
        type = (type << 4) | static_cast<uint32_t>(HexDigit(c));
      }
      typed = true;
    }
    std::string data;
    std::string_view piece = Trim(rest.substr(colon + 1));
    const std::size_t first = Index;
    while (!piece.empty() && piece.back() == '\\') {
      data += piece.substr(0, piece.size() - 1);
      if (++Index >= Lines.size() || Trim(Lines[Index]).empty()) {
        Index = first;
        Fail("the value is cut off: its last line ends in a backslash");
      }
      piece = Trim(Lines[Index]);
    }
    data += piece;
    std::vector<uint8_t> bytes;
    std::string normal;  // the data without spaces, as it is written back
    std::string_view list = data;
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view token = Trim(list.substr(0, comma));
      if (token.size() != 2 || HexDigit(token[0]) < 0 || HexDigit(token[1]) < 0)
        Fail("hex data must be two-digit bytes separated by commas");
      bytes.push_back(static_cast<uint8_t>(HexDigit(token[0]) * 16 + HexDigit(token[1])));
      if (!normal.empty()) normal += ',';
      normal += LowerAscii(token[0]);
      normal += LowerAscii(token[1]);
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
      if (Trim(list).empty()) break;  // a trailing comma is harmless
    }
    std::optional<std::string> text;
    if (typed && type == 1) text = DecodeUtf16Text(bytes);
    if (text) {
      value.Type = RegType::String;
      value.Text = std::move(*text);
    } else {
      value.Type = RegType::Other;
      value.Text = typed ? "hex(" + ToHex(type) + "):" + normal : "hex:" + normal;
    }
  }

  std::vector<std::string_view> Lines;
  std::size_t Index = 0;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return false;
  std::size_t componentLength = 0;
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
    if (c == '\\') {
      if (componentLength == 0) return false;
      componentLength = 0;
    } else if (++componentLength > MaxKeyComponent) {
      return false;
    }
  }
  return componentLength > 0;
}

bool IsValidValueName(std::string_view name) {
  return name.size() <= MaxValueName && name.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string WhyTextCannotBeStored(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    return "the text holds a NUL character, which the store cannot keep in a text";
  if (NeedsHexText(text) && !IsUtf8(text))
    return "the text holds a line break and bytes that are not UTF-8, which the store cannot keep in a text";
  return {};
}

RegParseError::RegParseError(int line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), LineNumber(line), ReasonText(reason) {}

std::size_t NameHash::operator()(std::string_view name) const {
  // FNV-1a over the lower-case bytes, from a start chosen at random once per process.
  static const uint64_t Seed = (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
  uint64_t hash = 0xcbf29ce484222325ull ^ Seed;
  for (const char c : name) hash = (hash ^ static_cast<uint8_t>(LowerAscii(c))) * 0x100000001b3ull;
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  const auto found = Index.find(name);
  return found == Index.end() ? nullptr : &ValueList[found->second];
}

void RegKey::SetValue(RegValue value) {
  const auto [place, added] = Index.try_emplace(value.Name, ValueList.size());
  if (added) {
    ValueList.push_back(std::move(value));
  } else {
    ValueList[place->second] = std::move(value);
  }
}

const RegKey* RegDocument::FindKey(std::string_view path) const {
  const auto found = Index.find(path);
  return found == Index.end() ? nullptr : &KeyList[found->second];
}

bool RegDocument::KeyExists(std::string_view path) const {
  return FindKey(path) != nullptr || std::any_of(KeyList.begin(), KeyList.end(), [&](const RegKey& key) {
           return key.Path().size() > path.size() && key.Path()[path.size()] == '\\' &&
                  StartsWithNoCase(key.Path(), path);
         });
}

RegKey& RegDocument::AddKey(std::string_view path) {
  const auto [place, added] = Index.try_emplace(std::string(path), KeyList.size());
  if (added) KeyList.emplace_back(std::string(path));
  return KeyList[place->second];
}

RegDocument ParseRegistryText(std::string_view text) {
  Parser parser(text);
  return parser.Run();
}

std::string FormatRegistryText(const RegDocument& document) {
  std::string out(Header);
  out += "\n\n";
  static constexpr char Digits[] = "0123456789abcdef";
  for (const RegKey& key : document.Keys()) {
    out += '[';
    out += Root;
    out += '\\';
    out += key.Path();
    out += "]\n";
    for (const RegValue& value : key.Values()) {
      out += value.Name.empty() ? std::string("@") : Quote(value.Name);
      out += '=';
      switch (value.Type) {
        case RegType::String:
          out += NeedsHexText(value.Text) ? EncodeUtf16Hex(value.Text) : Quote(value.Text);
          break;
        case RegType::DWord:
          out += "dword:";
          for (int shift = 28; shift >= 0; shift -= 4) out += Digits[(value.Number >> shift) & 15];
          break;
        case RegType::Other:
          out += value.Text;
          break;
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace platform
