#pragma once
// The Document over an HtmlPage: its elements, webbots, selection and style sheets.

#include <memory>

#include "core/page_host/page_host.h"

namespace velmo::file_host {

class HtmlPage;

std::unique_ptr<Document> makePageDocument(HtmlPage& page);

}  // namespace velmo::file_host
