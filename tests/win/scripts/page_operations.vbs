' The page operations of VelmoCls.clstestt as a VBScript add-in calls them, against a page open
' in the stand-in editor. Prints one line per check and exits with the number of failures.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(condition, what)
  If condition Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL: " & what
  End If
End Sub

Function ReadFile(path)
  ReadFile = fso.OpenTextFile(path, 1).ReadAll()
End Function

Dim fso, folder, pagePath
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName())
fso.CreateFolder folder
pagePath = fso.BuildPath(folder, "page.htm")
With fso.CreateTextFile(pagePath, True)
  .Write "<html>" & vbCrLf & "<head>" & vbCrLf & "<title>Test</title>" & vbCrLf & "</head>" & vbCrLf & _
    "<body>" & vbCrLf & _
    "<!--webbot bot=""HitCounter"" startspan --><b>0</b><!--webbot bot=""HitCounter"" endspan -->" & vbCrLf & _
    "<!--webbot bot=""Timestamp"" startspan s-type=""EDITED"" -->first<!--webbot bot=""Timestamp"" endspan -->" & vbCrLf & _
    "<!--webbot bot=""Timestamp"" startspan s-type=""REGENERATED"" -->second<!--webbot bot=""Timestamp"" endspan -->" & vbCrLf & _
    "</body>" & vbCrLf & "</html>" & vbCrLf
  .Close
End With

Dim editor, command
Set editor = CreateObject("FrontPage.Application")
editor.OpenPage pagePath
Set command = CreateObject("VelmoCls.clstestt")

' botfound: a variable goes by reference, (name) and literals by value.
Dim name
name = "HitCounter"
Check command.botfound(name) = True, "botfound(variable) finds HitCounter"
Check name = "HitCounter", "botfound leaves the variable as it was"
Check command.botfound((name)) = True, "botfound((variable)) finds HitCounter"
Check command.botfound("Timestamp") = True, "botfound(""Timestamp"")"
Check command.botfound("hitcounter") = False, "botfound compares with case"
Check command.botfound("Missing") = False, "botfound of a missing name"

' eraseBot: the first of two blocks, then the other.
name = "Timestamp"
command.eraseBot name
Check name = "Timestamp", "eraseBot leaves the variable as it was"
Check InStr(editor.PageText, "EDITED") = 0, "eraseBot removes the first block"
Check InStr(editor.PageText, "REGENERATED") > 0, "eraseBot leaves the second block"
Check InStr(ReadFile(pagePath), "EDITED") = 0, "the page file is written through"
command.eraseBot (name)
Check command.botfound(name) = False, "a second eraseBot removes the other block"
Check command.botfound("HitCounter") = True, "eraseBot leaves other bots"

' scriptHead2: the exact block before </head>, once per call.
Dim code, block, result
code = "alert(""hi"");"
block = "<script language = ""javascript"">" & vbCrLf & code & vbCrLf & "</script>" & vbCrLf & vbCrLf
result = command.scriptHead2(code)
Check IsEmpty(result), "scriptHead2 returns Empty"
Check code = "alert(""hi"");", "scriptHead2 leaves the variable as it was"
Check InStr(editor.PageText, "<title>Test</title>" & vbCrLf & block & "</head>") > 0, _
  "scriptHead2 appends the block to the HEAD"
command.scriptHead2 code
Check InStr(editor.PageText, "<title>Test</title>" & vbCrLf & block & block & "</head>") > 0, _
  "scriptHead2 twice gives two blocks"
command.scriptHead2 ""
Check InStr(editor.PageText, block & "<script language = ""javascript"">" & vbCrLf & vbCrLf & _
  "</script>" & vbCrLf & vbCrLf & "</head>") > 0, "scriptHead2 with empty code"
Check ReadFile(pagePath) = editor.PageText, "the page file holds every change"

' With no page open the editor's error reaches the script.
editor.ClosePage
On Error Resume Next
result = command.botfound("HitCounter")
Check Err.Number = &H80004005, "the error number with no page open (" & Hex(Err.Number) & ")"
Check Err.Description = "No page is open in the editor", "the error description (" & Err.Description & ")"
Err.Clear
command.eraseBot "HitCounter"
Check Err.Description = "No page is open in the editor", "eraseBot with no page open"
On Error GoTo 0

editor.Quit
fso.DeleteFolder folder, True
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
