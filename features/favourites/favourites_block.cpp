#include "features/favourites/favourites_block.h"

#include "core/common/script_text.h"
#include "core/common/text.h"

namespace velmo {

std::optional<std::u16string> favouritesCheck(const FavouritesChoices& choices) {
  if (choices.source.empty()) return u"Please fill link text or image source first";
  if (!choices.currentPage && choices.otherUrl.empty()) return u"Please fill URL first";
  if (!choices.pageTitle && choices.otherTitle.empty()) return u"Please fill Title first";
  return std::nullopt;
}

std::u16string favouritesBlock(const FavouritesChoices& c) {
  // Typed text goes into script string literals, into the markup the script writes and into
  // the start comment's Preview attribute: each place escapes only what would end it.
  const std::u16string url =
      c.currentPage ? u"location.href" : u"\"http://" + jsStringText(c.otherUrl, u'"') + u"\"";
  const std::u16string title =
      c.pageTitle ? u"document.title" : u"\"" + jsStringText(c.otherTitle, u'"') + u"\"";
  const std::u16string content =
      c.image ? u"<img border=\"0\" src=\"" + attributeText(c.source, u'"') + u"\" >" : c.source;
  const std::u16string preview =
      c.image ? u"<img border ='0' src='" + attributeText(c.source, u'\'') + u"' >" : c.source;

  std::u16string block = joinCrLf({
      u"<!--webbot bot=\"AddToFavor_VL\" startspan Tag =\"p\" Preview=\"" +
          commentAttributeText(preview) + u"\" clientside -->",
      u"<SCRIPT LANGUAGE=\"JavaScript\">",
      u"<!-- Begin",
      u"if ((navigator.appName == \"Microsoft Internet Explorer\") && "
      u"(parseInt(navigator.appVersion) >= 4)) {",
      u"var url_VL=" + url + u";",
      u"var title_VL=" + title + u";",
      u"document.write('<A HREF=\"javascript:window.ext');",
      u"document.write('ernal.AddFavorite(url_VL,title_VL);\" ');",
      u"document.write('onMouseOver=\" window.status=');",
      u"document.write(\"'Add our site to your favorites!'; return true \");",
      u"document.write('\"onMouseOut=\" window.status=');",
      u"document.write(\"' '; return true \");",
      u"document.write('\">" + jsStringText(content, u'\'') + u"</a>');",
      u"}",
  });
  if (c.message) {
    block += u"\r\n" +
             joinCrLf({u"else {", u"var msg_VL = \"" + jsStringText(c.messageText, u'"') + u"\";",
                       u"document.write(msg_VL);", u"}"});
  }
  block += u"\r\n" +
           joinCrLf({u"// End -->", u"</script>", u"<!--webbot bot=\"AddToFavor_VL\" endspan -->"});
  return block;
}

}  // namespace velmo
