#include "file_host/files/picture_file.h"

namespace velmo::file_host {

bool isGifOrJpeg(std::string_view content) {
  return content.starts_with("GIF87a") || content.starts_with("GIF89a") ||
         content.starts_with("\xFF\xD8\xFF");
}

}  // namespace velmo::file_host
