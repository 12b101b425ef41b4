<cfsetting enablecfoutputonly="no" showdebugoutput="no">
<cfparam name="url.id" default="0" type="integer">
<cfquery name="account" datasource="shop">
  SELECT name, since FROM accounts WHERE id < <cfqueryparam value="#url.id#" cfsqltype="cf_sql_integer">
</cfquery>
<!--- The old layout ended here: </body></html> --->
<!DOCTYPE html>
<html>
<head>
<title><cfoutput>#account.name#</cfoutput></title>
<cfinclude template="meta.cfm">
<style type="text/css">
body { scrollbar-face-color: #C0C0C0 }
</style>
</head>
<body>
<cfscript>
  greeting = (hour(now()) < 12) ? "<p>Good morning</p>" : "</body>";
</cfscript>
<cfoutput>
<h1>#account.name#</h1>
<cfif account.since GT 2000><p>Member since #account.since#</p></cfif>
</cfoutput>
<p>Updated
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%d/%m/%Y" startspan -->21/09/2007<!--webbot bot="Timestamp" i-checksum="12580" endspan -->
</p>
</body>
</html>
