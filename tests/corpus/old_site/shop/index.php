<?php echo "</head>"; ?>
<?php
/* Shared header: a "?>" in this comment or in a string does not end the block. */
$title = "Harbour Bakery ?> Shop";
$closing = '</body>';
?>
<html>
<head>
<meta charset="utf-8">
<title><?= htmlspecialchars($title) ?></title>
<style>
body { scrollbar-face-color: #998877; }
</style>
</head>
<body class="<?php echo $theme; ?>">
<h1><?= $title ?></h1>
<p>Café – open daily.</p>
<!--webbot bot="Timestamp" S-Type="EDITED" S-Format="%d %B %Y" startspan -->05 March 2002<!--webbot bot="Timestamp" endspan -->
<?php if ($admin) { echo '<!--webbot bot="Timestamp" startspan -->'; } ?>
</body>
</html>
<?php
// Footer work, left open to the end of the file as PHP allows.
log_visit($title);
