#include "support/failure.h"

namespace simplex_weights::detail {

std::string format_message(std::string_view format, std::string_view value) {
  return format_message(format, value, {});
}

std::string format_message(std::string_view format, std::string_view first,
                           std::string_view second) {
  // One pass over the format: a "%s" inside an inserted value stays as it is.
  std::string message;
  int inserted = 0;
  for (std::size_t at = format.find("%s"); at != std::string_view::npos && inserted < 2;
       at = format.find("%s")) {
    message += format.substr(0, at);
    message += inserted == 0 ? first : second;
    ++inserted;
    format.remove_prefix(at + 2);
  }
  message += format;
  return message;
}

}  // namespace simplex_weights::detail
