#pragma once
// The version resource of a file, read from the block GetFileVersionInfo
// returns. The block is outside input: any length in it may lie, so the reader
// checks each one and simply yields fewer tables or strings when they do.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

// The 52-byte VS_FIXEDFILEINFO record, field by field.
struct FixedFileInfo {
  std::uint32_t signature = 0;
  std::uint32_t structVersion = 0;
  std::uint32_t fileVersionHigh = 0;
  std::uint32_t fileVersionLow = 0;
  std::uint32_t productVersionHigh = 0;
  std::uint32_t productVersionLow = 0;
  std::uint32_t fileFlagsMask = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOs = 0;
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;
  std::uint32_t fileDateHigh = 0;
  std::uint32_t fileDateLow = 0;
};

// VS_FF_PRERELEASE of the file flags: a beta build.
inline constexpr std::uint32_t kFilePrereleaseFlag = 0x2;

// One string table: its key ("040904E4", upper case) and its strings as
// "name=value" entries in resource order.
class TVerLangObj {
 public:
  TVerLangObj(std::string key, std::vector<std::string> strings);
  const std::string& Key() const { return key_; }
  const std::vector<std::string>& Strings() const { return strings_; }
  // The value of the first string of that name, letter case ignored; empty when absent.
  std::string Value(std::string_view name) const;

 private:
  std::string key_;
  std::vector<std::string> strings_;
};

class TVerInfoObj {
 public:
  // Reads a block in either format (UTF-16 keys or 8-bit keys); an empty or
  // unreadable block gives no tables and a zero fixed record. Never throws on
  // bad bytes.
  static TVerInfoObj FromBlock(std::span<const std::uint8_t> block);

  // The preferred table first: 040904E4, else the first 0409xxxx, else the first read.
  const std::vector<TVerLangObj>& Tables() const { return tables_; }
  const FixedFileInfo& FixedInfo() const { return fixed_; }
  // The named string of the preferred table only; empty without tables.
  std::string Value(std::string_view name) const;

 private:
  std::vector<TVerLangObj> tables_;
  FixedFileInfo fixed_;
};

}  // namespace cordalis
