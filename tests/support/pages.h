#pragma once
// The pages the tests open, in one table: each is named for what it holds, and a test that checks
// bytes builds its expectation from the same constant. Pages that are the subject of one test (a
// page full of markup to escape around, a page with a hit counter) stay beside that test.

#include <string>

namespace velmo::testing {

// A date block as a page holds one (its body cut short).
inline const std::string kDateBlock =
    "<!--webbot bot=\"V_Date\" startspan -->d<!--webbot bot=\"V_Date\" endspan -->";

// A page as an old editor saved it: CR LF, a HEAD with a title, `body` on lines of its own.
inline std::string pageWith(const std::string& body, const std::string& title = "t") {
  return "<html>\r\n<head>\r\n<title>" + title + "</title>\r\n</head>\r\n<body>\r\n" + body +
         "\r\n</body>\r\n</html>\r\n";
}

// A page as an old editor saved it, holding a date block.
inline const std::string kDatePage = pageWith(kDateBlock);

// A page as an old editor saved it, holding the paragraph `<p>Hello</p>`.
inline const std::string kHelloPage = pageWith("<p>Hello</p>");

// The smallest whole page, on one line: a title and a paragraph.
inline const std::string kOneLinePage =
    "<html><head><title>t</title></head><body><p>x</p></body></html>";

// A page on one line whose paragraph a caret is put after (`<p>Hello</p>`).
inline const std::string kOneLineHelloPage =
    "<html><head><title>T</title></head><body><p>Hello</p></body></html>";

// A page without a HEAD, in CR LF lines: the paragraph `<p>Hello</p>` and the end tags.
inline const std::string kHeadlessPage =
    "<html>\r\n<body>\r\n<p>Hello</p>\r\n</body>\r\n</html>\r\n";

// A page on one line holding a date block and nothing else in its body.
inline const std::string kOneLineDatePage =
    "<html><head><title>t</title></head><body>" + kDateBlock + "</body></html>";

// The same with its encoding declared as UTF-8, for texts beyond ASCII.
inline const std::string kOneLineUtf8DatePage =
    "<html><head><meta charset=\"utf-8\"><title>t</title></head><body>" + kDateBlock +
    "</body></html>";

}  // namespace velmo::testing
