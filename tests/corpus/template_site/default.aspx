<%@ Page Language="C#" AutoEventWireup="true" CodeFile="Default.aspx.cs" Inherits="_Default" %>
<%@ Register TagPrefix="uc" TagName="Menu" Src="~/Controls/Menu.ascx" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <title>Orders</title>
    <asp:Literal ID="MetaTags" runat="server" />
    <asp:PlaceHolder runat="server"><%: Styles.Render("~/Content/css") %></asp:PlaceHolder>
    <style type="text/css">
        body { scrollbar-face-color: #998877; }
    </style>
</head>
<body>
    <form id="form1" runat="server">
    <uc:Menu ID="SiteMenu" runat="server" />
    <asp:Label ID="Greeting" runat="server" Text="<%$ Resources:Site, Hello %>" />
    <asp:GridView ID="Orders" runat="server" AutoGenerateColumns="true" />
    </form>
    <p>Updated
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%m/%d/%Y" startspan -->07/14/2006<!--webbot bot="Timestamp" i-checksum="17730" endspan -->
</p>
</body>
</html>
