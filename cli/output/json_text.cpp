#include "cli/output/json_text.h"

namespace velmo::cli {

std::string jsonText(const nlohmann::ordered_json& document) {
  return document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace velmo::cli
