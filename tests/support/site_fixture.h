#pragma once
// A small site on disk for the runs over many pages: pages in folders, a file that is no page,
// and velmo run from inside the site so that the pages are named as a user names them.

#include <filesystem>
#include <string>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo::testing {

inline std::string pageWith(const std::string& body) {
  return "<html>\r\n<head>\r\n<title>t</title>\r\n</head>\r\n<body>\r\n" + body +
         "\r\n</body>\r\n</html>\r\n";
}

inline const std::string kDateBlock =
    "<!--webbot bot=\"V_Date\" startspan -->d<!--webbot bot=\"V_Date\" endspan -->";

class SiteFixture {
 public:
  SiteFixture() {
    dir_.write("site/index.html", pageWith(kDateBlock));
    dir_.write("site/about.htm", pageWith("<p>about</p>"));
    dir_.write("site/shop/cart.asp", pageWith("<% x = 1 %>" + kDateBlock));
    dir_.write("site/shop/list.php", pageWith("<p>list</p>"));
    dir_.write("site/notes.txt", "not a page " + kDateBlock);
    dir_.write("site/.hidden.html", pageWith(kDateBlock));
  }

  const TempDir& dir() const { return dir_; }
  std::filesystem::path site() const { return dir_ / "site"; }
  std::string read(const std::string& name) const { return readBytes(site() / name); }

  // velmo run in the site folder; `args` as a shell splits them.
  ProgramResult velmo(const std::string& args, const std::string& input = "") const {
    return shell(shellQuote(kVelmo) + " " + args, input);
  }
  // A shell command line run in the site folder.
  ProgramResult shell(const std::string& line, const std::string& input = "") const {
    // Braces, so that the redirections runProgram adds apply to the whole line, pipes included.
    return runProgram("cd " + shellQuote(site().string()) + " && { " + line + "; }", input);
  }

 private:
  TempDir dir_;
};

}  // namespace velmo::testing
