<%@ page contentType="text/html; charset=UTF-8" pageEncoding="UTF-8" %>
<%@ taglib prefix="c" uri="http://java.sun.com/jsp/jstl/core" %>
<%@ taglib prefix="fmt" uri="http://java.sun.com/jsp/jstl/fmt" %>
<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<title><fmt:message key="catalog.title"/></title>
<jsp:include page="/WEB-INF/jsp/meta.jsp"/>
<style type="text/css">body { scrollbar-face-color: #123456 }</style>
<c:if test="${not empty param.print}"><link rel="stylesheet" href="print.css"></c:if>
<script type="text/javascript" src="<c:url value='/js/catalog.js'/>"></script>
<script type="text/javascript">var items = ${fn:length(items)};</script>
</head>
<body>
<jsp:useBean id="now" class="java.util.Date"/>
<ul>
<c:forEach items="${items}" var="item">
  <li><c:out value="${item.name}"/> – <fmt:formatNumber value="${item.price}" type="currency"/></li>
</c:forEach>
</ul>
<%-- old footer: </body></html> --%>
<p>Updated
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%d.%m.%Y" startspan -->12.05.2005<!--webbot bot="Timestamp" i-checksum="15049" endspan -->
</p>
</body>
</html>
