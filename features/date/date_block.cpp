#include "features/date/date_block.h"

#include "core/common/text.h"

namespace velmo {

std::u16string dateBlock() {
  // Every space is part of the format, including the runs inside lines 9, 11, 13 to 16 and 19.
  return joinCrLf({
      u"<!--webbot bot=\"V_Date\" startspan Tag =\"p\" Preview=\"---- DATE ----\" clientside -->",
      u"<SCRIPT LANGUAGE=\"JavaScript\">",
      u"<!-- Begin",
      u"var V_now = new Date();",
      u"var V_days = new Array('Sunday','Monday','Tuesday','Wednesday','Thursday','Friday',"
      u"'Saturday');",
      u"var V_months = new Array('January','February','March','April','May','June','July',"
      u"'August','September','October','November','December');",
      u"var V_date = ((V_now.getDate()<10) ? \"0\" : \"\")+ V_now.getDate();",
      u"",
      u"function fourdigits(number)    {",
      u"   return (number < 1000) ? number + 1900 : number;",
      u"                               }",
      u"",
      u"V_today =  V_days[V_now.getDay()] + \", \" +",
      u"              V_months[V_now.getMonth()] + \" \" +",
      u"               V_date + \", \" +",
      u"                (fourdigits(V_now.getYear())) ;",
      u"",
      u"document.write(\"\" +V_today+ \".\");",
      u"//  End -->",
      u"</script>",
      u"<!--webbot bot=\"V_Date\" endspan -->",
  });
}

}  // namespace velmo
