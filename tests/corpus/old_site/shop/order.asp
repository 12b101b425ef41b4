<%@ Language=VBScript %>
<%
Option Explicit
Dim visitor
visitor = Request.QueryString("name")
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">
<title>Order – <%= Server.HTMLEncode(visitor) %></title>
<% If Request("print") <> "1" Then %>
<style>
body { scrollbar-face-color: #336699 }
</style>
<% Else %>
<link rel="stylesheet" href="print.css">
<% End If %>
<%
' A closing head tag written by the server is not the page's own.
Response.Write "<!-- </head><body> -->"
%>
</head>
<body <% If visitor <> "" Then %>class="known"<% End If %>>
<h1>Order for <%= visitor %></h1>
<p>Café orders close at 16:00.</p>
<a href="<%= "basket.asp?who=" & visitor %>">Your basket</a>
<%-- <!--webbot bot="Timestamp" startspan --> is a note, not a block --%>
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%d %B %Y" startspan -->12 March 2002<!--webbot bot="Timestamp" i-checksum="12345" endspan -->
<script language="JavaScript">
var greeting = "<% Response.Write "</script>" %>";
</script>
<% Response.Write "</body></html>" %>
</body>
</html>
