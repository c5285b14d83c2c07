#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace trq::base {
namespace {

TEST(Utf8, Utf16TextForDisplay) {
    struct Case {
        std::u16string in;
        std::string out;
    };
    const Case cases[] = {
        {u"", ""},
        {u"Fire", "Fire"},
        {u"\u00e9\u5b8f", "\xc3\xa9\xe5\xae\x8f"},  // two- and three-byte forms
        {u"\U0001F600", "\xf0\x9f\x98\x80"},        // a surrogate pair is one code point
        {std::u16string(1, u'\xd83d') + u"a",
         "\xef\xbf\xbd"
         "a"},                                           // lone high surrogate
        {std::u16string(1, u'\xde00'), "\xef\xbf\xbd"},  // lone low surrogate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.in), c.out);
    }
}

}  // namespace
}  // namespace trq::base
