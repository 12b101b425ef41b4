' An example editor add-in: opens a page in the editor, then runs the page operations of
' VelmoCls.clstestt on it and tells what it did.
'
'   cscript //nologo addin.vbs PAGE [SITE]
'
' With the stand-in editor of the Windows tests registered as "FrontPage.Application" (the Wine
' prefixes under build/ have it), this runs under Wine's cscript.
Option Explicit

If WScript.Arguments.Count < 1 Then
  WScript.Echo "usage: cscript //nologo addin.vbs PAGE [SITE]"
  WScript.Quit 2
End If

Dim pagePath, sitePath
pagePath = WScript.Arguments(0)
sitePath = ""
If WScript.Arguments.Count > 1 Then sitePath = WScript.Arguments(1)

Dim editor, velmo
Set editor = CreateObject("FrontPage.Application")
editor.OpenPage pagePath, sitePath
WScript.Echo "Opened " & pagePath

Set velmo = CreateObject("VelmoCls.clstestt")

Dim name
For Each name In Array("Timestamp", "timestamp", "AddToFavor_VL")
  WScript.Echo "botfound(""" & name & """) = " & velmo.botfound(name)
Next

Dim code
code = "window.defaultStatus = ""Welcome to the Harbour Bakery"";"
velmo.scriptHead2 code
WScript.Echo "scriptHead2 appended a script block to the HEAD: " & code

name = "AddToFavor_VL"
velmo.eraseBot name
WScript.Echo "eraseBot(""" & name & """) removed the first such block; botfound now = " & _
  velmo.botfound(name)

' Errors of the editor reach the add-in with their description.
editor.ClosePage
On Error Resume Next
velmo.botfound "Timestamp"
WScript.Echo "With no page open: error &H" & Hex(Err.Number) & ", """ & Err.Description & """"
On Error GoTo 0

editor.Quit
