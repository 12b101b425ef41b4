// The page operations of VelmoCls.clstestt as a JScript add-in calls them (JScript passes every
// argument by value), against a page open in the stand-in editor. Exits with the number of
// failures.
var passed = 0, failed = 0;

function check(condition, what) {
  if (condition) {
    passed++;
  } else {
    failed++;
    WScript.Echo("FAIL: " + what);
  }
}

var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName());
fso.CreateFolder(folder);
var pagePath = fso.BuildPath(folder, "page.htm");
var file = fso.CreateTextFile(pagePath, true);
file.Write("<html>\r\n<head>\r\n<title>Test</title>\r\n</head>\r\n<body>\r\n" +
    "<!--webbot bot=\"HitCounter\" startspan --><b>0</b><!--webbot bot=\"HitCounter\" endspan -->\r\n" +
    "<!--webbot bot=\"Timestamp\" startspan s-type=\"EDITED\" -->first<!--webbot bot=\"Timestamp\" endspan -->\r\n" +
    "<!--webbot bot=\"Timestamp\" startspan s-type=\"REGENERATED\" -->second<!--webbot bot=\"Timestamp\" endspan -->\r\n" +
    "</body>\r\n</html>\r\n");
file.Close();

var editor = new ActiveXObject("FrontPage.Application");
editor.OpenPage(pagePath);
var command = new ActiveXObject("VelmoCls.clstestt");

var name = "HitCounter";
check(command.botfound(name) === true, "botfound(name) finds HitCounter");
check(name === "HitCounter", "botfound leaves the variable as it was");
check(command.botfound("hitcounter") === false, "botfound compares with case");
check(command.botfound("Missing") === false, "botfound of a missing name");

command.eraseBot("Timestamp");
check(editor.PageText.indexOf("EDITED") < 0, "eraseBot removes the first block");
check(editor.PageText.indexOf("REGENERATED") >= 0, "eraseBot leaves the second block");
command.eraseBot("Timestamp");
check(command.botfound("Timestamp") === false, "a second eraseBot removes the other block");

var code = "document.title = 'x';";
var block = "<script language = \"javascript\">\r\n" + code + "\r\n</script>\r\n\r\n";
var result = command.scriptHead2(code);
check(result === undefined, "scriptHead2 returns Empty");
check(code === "document.title = 'x';", "scriptHead2 leaves the variable as it was");
command.scriptHead2(code);
check(editor.PageText.indexOf("<title>Test</title>\r\n" + block + block + "</head>") >= 0,
    "scriptHead2 twice gives two identical blocks before </head>");
command.scriptHead2("");
check(editor.PageText.indexOf(block + "<script language = \"javascript\">\r\n\r\n</script>\r\n\r\n</head>") >= 0,
    "scriptHead2 with empty code");
check(fso.OpenTextFile(pagePath, 1).ReadAll() === editor.PageText, "the page file holds every change");

editor.ClosePage();
try {
  command.botfound("HitCounter");
  check(false, "botfound with no page open fails");
} catch (e) {
  check((e.number >>> 0) === 0x80004005, "the error number with no page open (" + (e.number >>> 0).toString(16) + ")");
  check(e.description === "No page is open in the editor", "the error description (" + e.description + ")");
}

editor.Quit();
fso.DeleteFolder(folder, true);
WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed);
