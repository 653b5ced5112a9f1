#pragma once
// The raw version-information block of a file, for TVerInfoObj to read.
#include <cstdint>
#include <string>
#include <vector>

namespace cordalis {

// GetFileVersionInfoSize then GetFileVersionInfo; empty when the file has no
// version resource or it cannot be read.
std::vector<std::uint8_t> ReadFileVersionBlock(const std::string& path);

}  // namespace cordalis
