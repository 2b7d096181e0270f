// Tests of ProtectedText: stored scrambled, given back plain, assigned under its own key.
#include "foundation/streams/ProtectedText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/strings/String.h"

namespace vek {
namespace {

bool ObjectHolds(const ProtectedText& text, const char* plain)
{
    const char* bytes = reinterpret_cast<const char*>(&text);
    size_t n = std::strlen(plain);
    for (size_t i = 0; i + n <= sizeof text; ++i) {
        if (std::memcmp(bytes + i, plain, n) == 0)
            return true;
    }
    return false;
}

TEST(ProtectedTextTest, StoresScrambledAndGivesThePlainTextBack)
{
    ProtectedText secret;
    const char* password = "correct horse";
    ASSERT_TRUE(secret.SetCStr(password));
    EXPECT_FALSE(secret.IsEmpty());
    EXPECT_FALSE(ObjectHolds(secret, password));
    String out;
    secret.Get(out);
    EXPECT_STREQ(out.CStr(), password);
    out.WipeAndClear();

    ASSERT_TRUE(secret.SetCStr(""));
    EXPECT_TRUE(secret.IsEmpty());
    out.AssignCStr("stale");
    secret.Get(out);
    EXPECT_STREQ(out.CStr(), "");
    ASSERT_TRUE(secret.SetCStr(nullptr));
    EXPECT_TRUE(secret.IsEmpty());
}

TEST(ProtectedTextTest, AssignCarriesTheTextUnderItsOwnKey)
{
    ProtectedText first;
    ProtectedText second;
    std::string password = "p\xC3\xA4ssw\xC3\xB6rd";
    ASSERT_TRUE(first.SetCStr(password.c_str()));
    ASSERT_TRUE(second.Assign(first));
    String a;
    String b;
    first.Get(a);
    second.Get(b);
    EXPECT_EQ(std::string(a.CStr()), password);
    EXPECT_EQ(std::string(b.CStr()), password);
}

TEST(ProtectedTextTest, ATextTooLongToScrambleIsNotKept)
{
    // Guards against keeping the plain text when the scrambled form does not fit.
    std::string huge(20000, 's');
    ProtectedText secret;
    EXPECT_FALSE(secret.SetCStr(huge.c_str()));
    EXPECT_TRUE(secret.IsEmpty());
    String out;
    secret.Get(out);
    EXPECT_TRUE(out.IsEmpty());
}

}  // namespace
}  // namespace vek
