#pragma once
// The rules of `velmo check`: what rots in the blocks the commands write and in webbot pairing,
// each with its severity (an error: broken for a visitor; a warning: works, but will break or
// mislead) and whether it has one safe mend (--fix).

#include <string_view>

namespace velmo::check {

enum class Severity { Warning, Error };

struct Rule {
  std::string_view name;
  Severity severity;
  std::string_view description;  // one line, for --help, the README and SARIF
  bool mendable;
};

inline constexpr Rule kRules[] = {
    {"duplicate-block", Severity::Warning,
     "A date or favourites block pasted a second time, byte for byte", true},
    {"duplicate-head-script", Severity::Warning, "The same script added to the HEAD a second time",
     true},
    {"second-slide-script", Severity::Warning,
     "A second slide viewer script in the HEAD (the slide shows share one picture list)", true},
    {"slide-picture-missing", Severity::Error,
     "A picture of the slide show's list that is not in the site", false},
    {"favourites-picture-missing", Severity::Error,
     "The picture of a favourites link that is not in the site", false},
    {"missing-file", Severity::Error,
     "A src or href of a block that names a file of the site that is not there", false},
    {"reference-case", Severity::Warning,
     "A reference to a file of the site written in another letter case than the file's name "
     "(works on a Windows server, breaks on Linux hosting)",
     true},
    {"webbot-unclosed", Severity::Warning,
     "A webbot start comment without its end comment: what follows it belongs to the block", false},
    {"webbot-stray-end", Severity::Warning, "A webbot end comment without a start comment", false},
    {"hidden-block", Severity::Error,
     "A block written inside an HTML comment, server code or a template comment, where it never "
     "reaches the browser",
     false},
    {"scrollbar-colour", Severity::Error,
     "A scrollbar colour of a STYLE element that is not a colour, which browsers ignore", false},
    {"unused-slide-picture", Severity::Warning, "A picture in slide_img/ that no page uses", false},
};

// The rule of that name; nullptr when there is none.
const Rule* ruleNamed(std::string_view name);

std::string_view severityName(Severity severity);  // "error", "warning"

}  // namespace velmo::check
