// The compiled-in tables map characters whose lower case the Windows tables leave alone.
#include <gtest/gtest.h>

#include "platform/unicode.h"

namespace platform {
namespace {

TEST(CasePosix, DottedCapitalIAndCapitalSharpSLowerToo) {
  std::u16string text = u"\u0130 \u1E9E";
  CharLowerW(text.data(), text.size());
  EXPECT_EQ(text, u"i \u00df");
}

}  // namespace
}  // namespace platform
