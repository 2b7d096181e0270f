// UserCodeTest: the user code of a run, its stamps, and the command "signature" that sets it.
#include "app/UserCode.h"

#include <gtest/gtest.h>

#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/base/ModelServices.h"

namespace vek {
namespace {

TEST(UserCode, NoCodeNoStamp)
{
    ClearUserCode();
    StampedText stamp;
    EXPECT_FALSE(GetUserStamp(stamp)) << "nobody can be asked: the object stays unchanged";
    EXPECT_TRUE(stamp.IsEmpty());
}

TEST(UserCode, CodesAreTrimmedAndLongOnesNotCutWithoutConsent)
{
    ClearUserCode();
    struct Case {
        const char* text;
        bool taken;
        const char* code;
    };
    const Case cases[] = {
        {"  AB ", true, "AB"},
        {"ABCDE", false, "AB"},  // the question's unattended answer keeps the old code
        {"", true, ""},          // an empty code is a code
        {"XYZ", true, "XYZ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SetUserInitials(c.text), c.taken);
        EXPECT_EQ(CurrentUserCode(), c.code);
        EXPECT_TRUE(HasUserCode());
    }
    ClearError();
}

TEST(UserCode, StampsCarryTheCodeThroughTheModelsServices)
{
    ClearUserCode();
    ASSERT_TRUE(Service<ModelServices>::Get().SetUserCode("KL"));
    StampedText stamp;
    ASSERT_TRUE(GetUserStamp(stamp));
    EXPECT_STREQ(stamp.code, "KL");
    EXPECT_NE(stamp.timestamp, 0u);
}

}  // namespace
}  // namespace vek
