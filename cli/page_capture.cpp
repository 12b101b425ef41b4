#include "cli/page_capture.h"

#include <iostream>

#include "cli/page_session.h"

namespace velmo::cli {
namespace {

thread_local PageCapture* current = nullptr;

}  // namespace

PageCapture* currentCapture() {
  return current;
}

CaptureScope::CaptureScope(PageCapture& capture) : before_(current) {
  current = &capture;
}

CaptureScope::~CaptureScope() {
  current = before_;
}

std::ostream& pageOut() {
  return current ? static_cast<std::ostream&>(current->out) : std::cout;
}

std::ostream& pageErr() {
  return current ? static_cast<std::ostream&>(current->err) : std::cerr;
}

void reportFound(bool found) {
  if (current) current->found = found;
  printLine(found ? u"true" : u"false");
}

}  // namespace velmo::cli
