#pragma once
// The template languages whose pages velmo reads with their template code left alone, how a
// page is known to be written in one (its file name, or a name given for it), and the blocks of
// code each one has. A template engine runs such a page before a browser sees it, so its blocks
// are opaque to the page scanner as server blocks are (html_scan.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace velmo::file_host::html {

enum class TemplateSyntax : std::uint8_t {
  None,
  Jinja,       // Twig, Jinja and Django: {# #}, {% %}, {{ }}
  Smarty,      // {* *}, {literal}...{/literal}, {...}
  ColdFusion,  // <cf...> and </cf...> tags, <!--- ---> comments, <cfscript>...</cfscript>
  Mustache,    // Mustache and Handlebars: {{! }}, {{!-- --}}, {{{ }}}, {{ }}
};

// The names a user gives a template language by ("twig", "jinja", "django", "smarty",
// "coldfusion", "cfml", "mustache", "handlebars", "none"), any case.
std::optional<TemplateSyntax> templateSyntaxNamed(std::string_view name);
// The names, for help and messages.
inline constexpr std::string_view kTemplateSyntaxNames =
    "twig, jinja, django, smarty, coldfusion, cfml, mustache, handlebars, none";

// File name endings that mark a template page (without the dot, lower case), and the language.
struct TemplateExtension {
  std::string_view extension;
  TemplateSyntax syntax;
};
inline constexpr TemplateExtension kTemplateExtensions[] = {
    {"twig", TemplateSyntax::Jinja},        {"j2", TemplateSyntax::Jinja},
    {"jinja", TemplateSyntax::Jinja},       {"jinja2", TemplateSyntax::Jinja},
    {"tpl", TemplateSyntax::Smarty},        {"cfm", TemplateSyntax::ColdFusion},
    {"cfml", TemplateSyntax::ColdFusion},   {"cfc", TemplateSyntax::ColdFusion},
    {"hbs", TemplateSyntax::Mustache},      {"handlebars", TemplateSyntax::Mustache},
    {"mustache", TemplateSyntax::Mustache},
};

// The language a page's file name says it is written in (by its last extension, any case);
// None for any other name.
TemplateSyntax templateSyntaxOfFile(std::string_view fileName);

// Whether '{' may open a block of the language.
constexpr bool bracesOpenBlocks(TemplateSyntax syntax) {
  return syntax == TemplateSyntax::Jinja || syntax == TemplateSyntax::Smarty ||
         syntax == TemplateSyntax::Mustache;
}

// What reading one text in a template language learns, so that a page of many unclosed openers
// is not searched to its end for each: the offset from which each closer is known to be absent,
// and the stretches of a Smarty page that {literal} makes plain markup.
struct TemplateReading {
  static constexpr std::size_t kNone = SIZE_MAX;
  static constexpr std::size_t kClosers = 8;
  TemplateSyntax syntax = TemplateSyntax::None;
  std::array<std::size_t, kClosers> noCloseFrom{kNone, kNone, kNone, kNone,
                                                kNone, kNone, kNone, kNone};
  std::optional<std::vector<std::pair<std::size_t, std::size_t>>> literals;
};

// Where the template block that starts at `at` ends (one past its last byte); nothing when none
// starts there. `unclosed` is set when an opener stands there whose closer is missing: more text
// appended could make it one.
std::optional<std::size_t> templateBlockEnd(std::string_view src, std::size_t at,
                                            TemplateReading& reading, bool& unclosed);

// Whether the template block that starts at `begin` is a comment: {# #}, {* *}, {{! }},
// {{!-- --}} or <!--- --->.
bool isTemplateComment(std::string_view src, std::size_t begin);
// Whether `at`, inside the template block that starts at `begin`, lies in a quoted string of the
// block's code ('...' or "...", with backslash escapes); never in a comment.
bool inTemplateString(std::string_view src, std::size_t begin, std::size_t at);

// Whether a tag name is a ColdFusion tag's ("cf" and a letter).
bool isColdFusionTagName(std::string_view name);

}  // namespace velmo::file_host::html
