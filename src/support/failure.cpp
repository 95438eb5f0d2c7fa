#include "support/failure.h"

namespace simplex_weights::detail {

std::string format_message(std::string_view format, std::string_view value) {
  const std::size_t at = format.find("%s");
  if (at == std::string_view::npos) return std::string(format);
  std::string message(format.substr(0, at));
  message += value;
  message += format.substr(at + 2);
  return message;
}

}  // namespace simplex_weights::detail
