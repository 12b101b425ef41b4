' An add-in's first call on an installed VelmoCls: the class is created by its name and runs one
' page operation through the stand-in editor on the page given. Prints "ok" when the block
' reached the page file, else what failed. (Wine's script host ends with status 0 even when the
' script stops on an error, so the caller reads the output.)
Option Explicit

Dim fso, pagePath, editor, command, text
Set fso = CreateObject("Scripting.FileSystemObject")
pagePath = WScript.Arguments(0)

On Error Resume Next
Set editor = CreateObject("FrontPage.Application")
If Err.Number <> 0 Then Fail "the stand-in editor: " & Err.Description
editor.OpenPage pagePath
If Err.Number <> 0 Then Fail "OpenPage: " & Err.Description
Set command = CreateObject("VelmoCls.clstestt")
If Err.Number <> 0 Then Fail "CreateObject(""VelmoCls.clstestt""): &H" & Hex(Err.Number)
command.scriptHead2 "window.installed = 1;"
If Err.Number <> 0 Then Fail "scriptHead2: " & Err.Description
On Error GoTo 0

text = fso.OpenTextFile(pagePath, 1).ReadAll()
editor.Quit
If InStr(text, "window.installed = 1;") = 0 Then Fail "the script block is not in the page file"
WScript.Echo "ok"
WScript.Quit 0

Sub Fail(what)
  WScript.Echo "FAIL: " & what
  WScript.Quit 1
End Sub
