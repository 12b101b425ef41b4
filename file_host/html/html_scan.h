#pragma once
// A byte-level HTML tokenizer over UTF-8 page source. It follows the HTML5 tokenizer states that
// decide where tags, comments, doctypes and raw text begin and end, and nothing more: it builds no
// tree and decodes no text. Callers take one token at a time from a position in the data state
// and switch to raw text themselves, because only the tree builder knows when an element's content
// is raw (not inside <select>, not in SVG or MathML).
//
// Server-side blocks (ASP, JSP and PHP code) are opaque: the server runs them before a browser
// sees the page, so nothing inside one is markup, wherever it stands (between tags, in a tag, in
// a comment, in raw text). "<%" opens one when a "%>" follows ("<%--" when a "--%>" follows);
// "<?php", "<?=" and "<?" followed by white space open one that ends at a "?>" outside PHP
// strings and block comments, or runs to the end of the page. A page in a template language
// (template_syntax.h) has that language's blocks too, given by the ScanMemo its reader passes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "file_host/html/raw_text_elements.h"
#include "file_host/html/template_syntax.h"

namespace velmo::file_host::html {

enum class TokenKind {
  Text,  // character data up to the next markup
  StartTag,
  EndTag,
  Comment,       // <!-- ... -->
  BogusComment,  // <!x>, <?x>, </ x>, and <![CDATA[ outside foreign content
  Doctype,
  Cdata,        // <![CDATA[ ... ]]> in foreign content
  ServerBlock,  // <% ... %>, <%-- ... --%>, <?php ... ?>, <?= ... ?>, <? ... ?>, template code
  Dropped,      // consumed without a token: "</>" and a tag cut off by the end of the input
  Eof,
};

struct Token {
  TokenKind kind = TokenKind::Eof;
  std::size_t begin = 0;  // first byte
  std::size_t end = 0;    // one past the last byte
  // StartTag/EndTag: the tag name as written. Comment/BogusComment/Cdata: the comment's text.
  std::string_view text;
  bool selfClosing = false;
  // Ended by the end of the input rather than by its own closing characters: more input appended
  // at `end` would become part of this token.
  bool openAtEof = false;
};

// What reading a page learns beyond the tokens it reads. A "<%" read as text for want of a
// closer depends on every byte after it, which a reader keeping results across edits must know.
// The offsets from which the page has no closer spare a page of many unclosed "<%" a search to
// its end for each. It belongs to one text: start a new one when the text changes.
struct ScanMemo {
  static constexpr std::size_t kNone = SIZE_MAX;
  // The first "<%" (or template opener) whose reading hangs on the bytes after it: one read as
  // text for want of a closer.
  std::size_t firstDangling = kNone;
  std::size_t noCloseFrom = kNone;         // no "%>" starts at or after this offset
  std::size_t noCommentCloseFrom = kNone;  // no "--%>" starts at or after this offset
  // When set, every server block passed is added, nested ones (in tags, comments, raw text)
  // included; a block read twice is added twice.
  std::vector<std::pair<std::size_t, std::size_t>>* blocks = nullptr;
  // The page's template language and what was learnt reading it; a reader without a memo reads
  // no template code.
  TemplateReading templates;
};

// The token starting at `pos` in the data state. In foreign content <![CDATA[ opens a CDATA
// section; elsewhere it is a bogus comment.
Token nextToken(std::string_view src, std::size_t pos, bool foreignContent = false,
                ScanMemo* memo = nullptr);

// The end of the server block that the '<' at `lt` opens; nothing when it opens none.
std::optional<std::size_t> serverBlockEnd(std::string_view src, std::size_t lt,
                                          ScanMemo* memo = nullptr);

// Whether `at` lies in a quoted string of the code of the server or template block [begin, end)
// of `src`: what such a string holds is written into the page the browser gets, while anything
// else in the block (code, a comment) never reaches it. PHP strings are read as the scan reads
// them ('...', "..." and `...` with backslash escapes, outside comments); ASP and JSP code has
// "..." strings; template tags have '...' and "..." (template_syntax.h). A comment block
// (<%-- --%>, {# #}, {* *}, {{! }}, <!--- --->) holds no string.
bool inServerString(std::string_view src, std::size_t begin, std::size_t end, std::size_t at);

// Passes over text and complete start and end tags from `pos` in the data state, stopping at the
// first '<' that begins anything else (a comment, a doctype, a tag cut off by the end of the
// input) or a tag for which `stop(name, isEndTag)` is true; the source size when there is none.
// For callers to whom most tags mean nothing: no token is made for what is passed over.
using TagFilter = bool (*)(std::string_view name, bool endTag);
std::size_t skipTags(std::string_view src, std::size_t pos, TagFilter stop,
                     ScanMemo* memo = nullptr);

// How the tokenizer reads the content of the element named `tagName` (any case); nothing when it
// reads it as markup (see kRawTextElements).
std::optional<TextMode> textModeOf(std::string_view tagName);

// Where the content of a raw-text element starting at `pos` ends: the offset of its end tag
// ("</name" followed by white space, "/" or ">"), or the source size when it has none.
std::size_t rawTextEnd(std::string_view src, std::size_t pos, TextMode mode,
                       std::string_view tagName, ScanMemo* memo = nullptr);

bool isSpace(char c);
// Compares ASCII letters without case; `lower` must be written in lower case.
bool equalsLower(std::string_view text, std::string_view lower);

struct Attribute {
  std::string_view name;   // as written
  std::string_view value;  // as written, without quotes and undecoded
  bool hasValue = false;
};

// The attributes of a tag given from its "<", or of an attribute list given from its first
// byte (as in a webbot comment), in source order.
std::vector<Attribute> tagAttributes(std::string_view tag);
std::vector<Attribute> attributeList(std::string_view text);
// The same into `out`, which is cleared first: a caller reading many lists keeps one buffer.
void attributeList(std::string_view text, std::vector<Attribute>& out);

// The first attribute named `lowerName` (compared without ASCII case), its value with character
// references decoded; nothing when there is none. A name without a value yields "".
std::optional<std::string> findAttribute(const std::vector<Attribute>& attributes,
                                         std::string_view lowerName);

// Decodes numeric character references and named ones: of the names, either the few an
// attribute value of a page usually holds (&amp; &lt; &gt; &quot; &apos; &nbsp;) or all that a
// browser knows (character_references.h). Unknown references stay as written.
enum class NamedReferences { Usual, All };
std::string decodeCharacterReferences(std::string_view text,
                                      NamedReferences names = NamedReferences::Usual);

}  // namespace velmo::file_host::html
