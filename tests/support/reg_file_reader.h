#pragma once
// Imports a REGEDIT4 file into a Registry as the Registry editor does, and
// refuses, by throwing, anything in it that the editors would not read as
// meant: the check of what the rollback writer writes.
//
// What it reads: the "REGEDIT4" line; comment lines starting with ";";
// [KEY] (made with every missing key above it) and [-KEY] (deleted with all
// below it); under a key, "name" or @ followed by = and "text" (\\ and \"
// escaped), dword: and eight hex digits, hex: or hex(n): and comma-separated
// bytes (a line ending in \ goes on in the next), or - to delete the value.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/registry.h"

namespace cordalis::testing {

class RegFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegFileReader {
 public:
  explicit RegFileReader(RegistryApi& registry) : registry_(registry) {}

  void Import(std::string_view text) {
    std::vector<std::string> lines = Lines(text);
    if (lines.empty() || lines[0] != "REGEDIT4") throw RegFileError("the file does not start with REGEDIT4");
    for (std::size_t i = 1; i < lines.size(); ++i) {
      std::string line = lines[i];
      while (!line.empty() && line.back() == '\\') {  // data goes on in the next line
        if (++i >= lines.size()) throw RegFileError("a continued line ends the file");
        line.pop_back();
        line += Trimmed(lines[i]);
      }
      Line(line, i + 1);
    }
    Close();
  }

 private:
  static std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string_view::npos) throw RegFileError("a line does not end with CR LF");
      lines.emplace_back(text.substr(start, end - start));
      if (lines.back().find_first_of("\r\n") != std::string::npos) throw RegFileError("a lone CR or LF");
      start = end + 2;
    }
    return lines;
  }

  static std::string Trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a);
  }

  void Line(const std::string& line, std::size_t number) {
    const std::string where = " (line " + std::to_string(number) + ")";
    if (line.empty() || line[0] == ';') return;
    if (line[0] == '[') {
      if (line.back() != ']') throw RegFileError("a key line does not end with ]" + where);
      Close();
      std::string path = line.substr(1, line.size() - 2);
      const bool remove = !path.empty() && path[0] == '-';
      if (remove) path.erase(0, 1);
      const std::size_t slash = path.find('\\');
      const HKey root = Root(path.substr(0, slash));
      if (root == 0) throw RegFileError("no such root in " + path + where);
      const std::string sub = slash == std::string::npos ? std::string() : path.substr(slash + 1);
      TRegistry reg(registry_);
      reg.SetRootKey(root);
      if (remove) {
        reg.DeleteKey(sub);
        return;
      }
      bool created = false;
      if (registry_.CreateKey(root, sub, kKeyAllAccess, &key_, &created) != kErrorSuccess)
        throw RegFileError("cannot make " + path + where);
      return;
    }
    if (key_ == 0) throw RegFileError("a value outside any key" + where);
    std::size_t at = 0;
    std::string name;
    if (line[0] == '@') {
      at = 1;
    } else if (line[0] == '"') {
      at = 1;
      name = Quoted(line, at, where);
    } else {
      throw RegFileError("a line is neither a key, a value nor a comment" + where);
    }
    if (at >= line.size() || line[at] != '=') throw RegFileError("no = after the value's name" + where);
    const std::string data = line.substr(at + 1);
    if (data == "-") {
      registry_.DeleteValue(key_, name);
      return;
    }
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    if (!data.empty() && data[0] == '"') {
      std::size_t p = 1;
      const std::string text = Quoted(data, p, where);
      if (p != data.size()) throw RegFileError("text follows a quoted string" + where);
      type = kRegSz;
      bytes.assign(text.begin(), text.end());
      bytes.push_back(0);
    } else if (data.rfind("dword:", 0) == 0) {
      const std::string digits = data.substr(6);
      if (digits.size() != 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw RegFileError("dword: takes eight hex digits" + where);
      const std::uint32_t v = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
      type = kRegDword;
      bytes = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
               static_cast<std::uint8_t>(v >> 24)};
    } else if (data.rfind("hex", 0) == 0) {
      std::size_t colon = data.find(':');
      if (colon == std::string::npos) throw RegFileError("hex data without a colon" + where);
      const std::string kind = data.substr(3, colon - 3);
      if (kind.empty()) {
        type = kRegBinary;
      } else if (kind.size() > 2 && kind.front() == '(' && kind.back() == ')' &&
                 kind.find_first_not_of("0123456789abcdef", 1) == kind.size() - 1) {
        type = static_cast<std::uint32_t>(std::stoul(kind.substr(1, kind.size() - 2), nullptr, 16));
      } else {
        throw RegFileError("a bad hex type " + kind + where);
      }
      bytes = Bytes(data.substr(colon + 1), where);
    } else {
      throw RegFileError("data of no known form: " + data + where);
    }
    if (registry_.SetValue(key_, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())) != kErrorSuccess)
      throw RegFileError("cannot set " + name + where);
  }

  static std::string Quoted(const std::string& line, std::size_t& at, const std::string& where) {
    std::string out;
    for (; at < line.size(); ++at) {
      if (line[at] == '\\') {
        if (++at >= line.size() || (line[at] != '\\' && line[at] != '"'))
          throw RegFileError("a backslash escapes neither \\ nor \"" + where);
        out += line[at];
      } else if (line[at] == '"') {
        ++at;
        return out;
      } else {
        out += line[at];
      }
    }
    throw RegFileError("a quote is not closed" + where);
  }

  static std::vector<std::uint8_t> Bytes(const std::string& list, const std::string& where) {
    std::vector<std::uint8_t> bytes;
    if (list.empty()) return bytes;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = list.find(',', start);
      const std::string byte = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (byte.size() != 2 || byte.find_first_not_of("0123456789abcdef") != std::string::npos)
        throw RegFileError("a byte is not two lower-case hex digits: \"" + byte + "\"" + where);
      bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
      if (comma == std::string::npos) return bytes;
      start = comma + 1;
    }
  }

  static HKey Root(const std::string& name) {
    if (name == "HKEY_CLASSES_ROOT") return kHkeyClassesRoot;
    if (name == "HKEY_CURRENT_USER") return kHkeyCurrentUser;
    if (name == "HKEY_LOCAL_MACHINE") return kHkeyLocalMachine;
    if (name == "HKEY_USERS") return kHkeyUsers;
    if (name == "HKEY_CURRENT_CONFIG") return kHkeyCurrentConfig;
    return 0;
  }

  void Close() {
    if (key_ != 0) registry_.CloseKey(key_);
    key_ = 0;
  }

  RegistryApi& registry_;
  HKey key_ = 0;
};

}  // namespace cordalis::testing
