{* Shopping cart. Until 2009 this page ended here: </body></html>
   and the scripts lived in header.tpl. *}
{config_load file="shop.conf" section="cart"}
<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">
<html>
<head>
<title>{$title|escape} - {#shopName#}</title>
{literal}
<style type="text/css">
body{scrollbar-face-color:#FFCC00}
.total{font-weight:bold}
</style>
<script type="text/javascript">
function total(a,b){return a+b;}
</script>
{/literal}
</head>
<body>
{if $items|@count > 0}
<table>
{foreach from=$items item=i}
  <tr><td>{$i.name}</td><td class="total">{$i.price|string_format:"%.2f"}</td></tr>
{/foreach}
</table>
{else}
<p>Your cart is empty.</p>
{/if}
<p>Updated
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%d/%m/%Y" startspan -->02/03/2008<!--webbot bot="Timestamp" i-checksum="12470" endspan -->
</p>
{include file="footer.tpl" note="</body>"}
</body>
</html>
