#include "cli/glob_match.h"

namespace velmo::cli {
namespace {

struct Matcher {
  bool wholePath;

  // A dot that begins the text (or, in a path, a name) is matched only by a dot in the glob.
  bool leadingDot(std::string_view text, std::size_t at) const {
    return text[at] == '.' && (at == 0 || (wholePath && text[at - 1] == '/'));
  }

  // The bracket set at glob[g] (just past '['); its end in `end`. Nothing matched, or a glob
  // whose '[' opens no set, give false with `end` at 0.
  bool inSet(std::string_view glob, std::size_t g, char c, std::size_t& end) const {
    end = 0;
    bool negated = false;
    if (g < glob.size() && (glob[g] == '!' || glob[g] == '^')) {
      negated = true;
      ++g;
    }
    bool found = false;
    bool first = true;
    while (g < glob.size() && (first || glob[g] != ']')) {
      first = false;
      char low = glob[g];
      if (low == '\\' && g + 1 < glob.size()) low = glob[++g];
      ++g;
      char high = low;
      if (g + 1 < glob.size() && glob[g] == '-' && glob[g + 1] != ']') {
        high = glob[g + 1];
        if (high == '\\' && g + 2 < glob.size()) high = glob[++g + 1];
        g += 2;
      }
      const auto u = static_cast<unsigned char>(c);
      if (static_cast<unsigned char>(low) <= u && u <= static_cast<unsigned char>(high)) {
        found = true;
      }
    }
    if (g >= glob.size()) return false;  // no closing ']'
    end = g + 1;
    if (wholePath && c == '/') return false;
    return found != negated;
  }

  bool match(std::string_view glob, std::size_t g, std::string_view text, std::size_t t) const {
    while (g < glob.size()) {
      const char p = glob[g];
      if (p == '*') {
        while (g < glob.size() && glob[g] == '*') ++g;
        if (t < text.size() && leadingDot(text, t)) return false;
        for (std::size_t at = t;; ++at) {
          if (match(glob, g, text, at)) return true;
          if (at >= text.size() || (wholePath && text[at] == '/')) return false;
        }
      }
      if (t >= text.size()) return false;
      const char c = text[t];
      if (p == '?') {
        if ((wholePath && c == '/') || leadingDot(text, t)) return false;
        ++g;
      } else if (p == '[') {
        std::size_t end = 0;
        const bool in = inSet(glob, g + 1, c, end);
        if (end == 0) {
          // An unclosed '[' stands for itself.
          if (c != '[') return false;
          ++g;
        } else {
          if (!in || leadingDot(text, t)) return false;
          g = end;
        }
      } else {
        char literal = p;
        if (p == '\\' && g + 1 < glob.size()) literal = glob[++g];
        if (c != literal) return false;
        ++g;
      }
      ++t;
    }
    return t == text.size();
  }
};

}  // namespace

bool globMatch(std::string_view glob, std::string_view text, bool wholePath) {
  return Matcher{wholePath}.match(glob, 0, text, 0);
}

}  // namespace velmo::cli
