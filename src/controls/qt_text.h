#pragma once
// The engine speaks std::string (UTF-8); the windows speak QString.

#include <QString>
#include <string_view>

namespace quillon {

inline QString toQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quillon
