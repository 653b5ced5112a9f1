#include "host/format.h"

#include <cstdio>
#include <stdexcept>

namespace cordalis {
namespace {

std::string FormatNumber(std::int64_t value, int precision) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*lld", precision, static_cast<long long>(value));
  return buffer;
}

}  // namespace

std::string Format(std::string_view format, const std::vector<FormatArg>& args) {
  std::string out;
  size_t next = 0;  // the argument that a plain "%s" or "%d" takes
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= format.size()) throw std::invalid_argument("format ends with '%'");
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    // Optional argument index "N:".
    size_t index = next;
    size_t digitsEnd = i;
    while (digitsEnd < format.size() && format[digitsEnd] >= '0' && format[digitsEnd] <= '9') ++digitsEnd;
    if (digitsEnd < format.size() && digitsEnd > i && format[digitsEnd] == ':') {
      index = std::stoul(std::string(format.substr(i, digitsEnd - i)));
      i = digitsEnd + 1;
    }
    // Optional precision ".NN" (zero padding of numbers).
    int precision = 1;
    if (i < format.size() && format[i] == '.') {
      size_t p = ++i;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
      precision = p == i ? 0 : std::stoi(std::string(format.substr(p, i - p)));
    }
    if (i >= format.size()) throw std::invalid_argument("format ends inside a conversion");
    if (index >= args.size()) throw std::invalid_argument("format needs more arguments");
    const FormatArg& arg = args[index];
    if (format[i] == 's') {
      if (!std::holds_alternative<std::string>(arg)) throw std::invalid_argument("%s given a number");
      out += std::get<std::string>(arg);
    } else if (format[i] == 'd') {
      if (!std::holds_alternative<std::int64_t>(arg)) throw std::invalid_argument("%d given a text");
      out += FormatNumber(std::get<std::int64_t>(arg), precision);
    } else {
      throw std::invalid_argument("unknown conversion in format");
    }
    next = index + 1;
  }
  return out;
}

}  // namespace cordalis
