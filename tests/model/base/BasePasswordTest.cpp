#include "model/base/BaseProtection.h"

#include <gtest/gtest.h>

#include <string>

#include "model/SectionTestSupport.h"
#include "foundation/memory/Hash.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::Written;

std::string Plain(const BaseProtection& protection)
{
    String text;
    protection.PasswordText(text);
    return text.CStr();
}

// A password dialog that answers what it is told to and counts the questions.
class ScriptedAsker : public HeadlessModelServices {
public:
    ScriptedAsker() = default;

    int32_t AskPassword(Base*, String& out, int32_t promptText) override
    {
        ++questions;
        lastPrompt = promptText;
        out.AssignCStr(typed.c_str());
        return answer;
    }

    std::string typed;
    int32_t answer = 1;
    int32_t questions = 0;
    int32_t lastPrompt = 0;

private:
    ScopedService<ModelServices> registered{this};
};

TEST(BasePasswordTest, SettingStoresTextAndHash)
{
    BaseProtection protection(nullptr);
    EXPECT_FALSE(protection.HasProtection());
    EXPECT_EQ(protection.PasswordHash(), 0);
    EXPECT_EQ(Plain(protection), "");

    ASSERT_TRUE(protection.SetPassword("Sesam"));
    EXPECT_TRUE(protection.HasProtection());
    EXPECT_EQ(Plain(protection), "Sesam");
    EXPECT_EQ(protection.PasswordHash(), HashTextNoCase("Sesam", kPasswordHashModulus) + 1);
    EXPECT_EQ(BaseProtection::PasswordHashOf("SESAM"), protection.PasswordHash());
    EXPECT_EQ(BaseProtection::PasswordHashOf(""), 0);
    EXPECT_EQ(BaseProtection::PasswordHashOf(nullptr), 0);

    ASSERT_TRUE(protection.SetPassword(""));
    EXPECT_FALSE(protection.HasProtection());
    EXPECT_EQ(Plain(protection), "");

    // A text too long to be kept protected leaves no password rather than a wrong one.
    ASSERT_TRUE(protection.SetPassword("old"));
    std::string huge(20000, 'p');
    EXPECT_FALSE(protection.SetPassword(huge.c_str()));
    EXPECT_FALSE(protection.HasProtection());
    EXPECT_EQ(Plain(protection), "");
    EXPECT_EQ(GetPendingError().message.code, message::kPasswordTooLong);
    ClearError();

    BaseProtection other(nullptr);
    ASSERT_TRUE(other.SetPassword("copied"));
    ASSERT_TRUE(protection.CopyFrom(other));
    EXPECT_EQ(Plain(protection), "copied");
    EXPECT_EQ(protection.PasswordHash(), other.PasswordHash());
}

// Regression: a password of 16,298 bytes or more was refused as "not enough memory".
TEST(BasePasswordTest, PasswordsUpToTheLimitAreKeptLongerOnesRefusedByTheirOwnMessage)
{
    struct Case {
        int32_t length;
        bool kept;
    };
    const Case cases[] = {
        {BaseProtection::kMaxPasswordLength, true},
        {BaseProtection::kMaxPasswordLength + 1, false},
        {100000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        ClearError();
        BaseProtection protection(nullptr);
        std::string text(size_t(c.length), 'p');
        EXPECT_EQ(protection.SetPassword(text.c_str()), c.kept);
        EXPECT_EQ(protection.HasProtection(), c.kept);
        EXPECT_EQ(Plain(protection), c.kept ? text : "");
        EXPECT_EQ(GetPendingError().message.code, c.kept ? 0 : message::kPasswordTooLong);
        std::string limit = std::to_string(BaseProtection::kMaxPasswordLength);
        if (!c.kept) {
            EXPECT_STREQ(GetPendingError().message.texts[0], limit.c_str());
        }
    }
    ClearError();
}

TEST(BasePasswordTest, CheckAcceptsOtherLetterCase)
{
    ScriptedAsker asker;
    BaseProtection protection(nullptr);
    ASSERT_TRUE(protection.SetPassword("Sesam"));

    struct Case {
        const char* typed;
        int32_t answer;
        bool passes;
        int32_t error;
    };
    const Case cases[] = {
        {"sESAM", 1, true, 0},
        {"Sesam", 2, true, 0},  // asked to remember in the keychain
        {"wrong", 1, false, message::kWrongPassword},
        {"", 1, false, message::kWrongPassword},
        {"Sesam", 0, false, 0},  // cancelled: no error even with the right text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " " + std::to_string(c.answer));
        ClearError();
        asker.typed = c.typed;
        asker.answer = c.answer;
        EXPECT_EQ(protection.CheckPassword(text::kPasswordPromptWebUsers), c.passes);
        EXPECT_EQ(asker.lastPrompt, text::kPasswordPromptWebUsers);
        EXPECT_EQ(IsErrorPending(), c.error != 0);
        EXPECT_EQ(GetPendingError().message.code, c.error);
    }
    ClearError();
}

TEST(BasePasswordTest, CheckWithoutPasswordOrDialogAsksNothing)
{
    BaseProtection open(nullptr);
    {
        ScriptedAsker asker;
        EXPECT_TRUE(open.CheckPassword(text::kPasswordPromptPlainText));
        EXPECT_EQ(asker.questions, 0);
    }
    // Without a dialog nobody can be asked: the check fails quietly.
    BaseProtection locked(nullptr);
    ASSERT_TRUE(locked.SetPassword("x"));
    EXPECT_FALSE(locked.CheckPassword(text::kPasswordPromptPlainText));
    EXPECT_FALSE(IsErrorPending());
}

TEST(BasePasswordTest, SectionRoundTrip)
{
    struct Case {
        const char* password;
        const char* line;
        const char* readBack;
    };
    const Case cases[] = {
        {"Sesam", "##Protection\tSesam\r", "Sesam"},
        {" blanks kept ", "##Protection\t blanks kept \r", " blanks kept "},
        {"", "##Protection\r", ""},
        // Characters that would break the line are coded as in long-text fields.
        {"a\tb\rc\nd\r\ne", "##Protection\ta\x04" "b\x03" "c\x03" "d\x03" "e\r", "a\tb\rc\rd\re"},
        {"p\xC3\xA4ss", "##Protection\tp\xC3\xA4ss\r", "p\xC3\xA4ss"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        BaseProtection protection(nullptr);
        ASSERT_TRUE(protection.SetPassword(c.password));
        TextWriter writer;
        protection.Write(writer);
        std::string text = Written(writer);
        EXPECT_EQ(text, c.line);

        BaseProtection read(nullptr);
        ASSERT_TRUE(read.SetPassword("previous"));
        TextReader reader(text.data(), int64_t(text.size()));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        EXPECT_TRUE(read.Read(reader));
        EXPECT_EQ(Plain(read), c.readBack);
        TextWriter again;
        read.Write(again);
        EXPECT_EQ(Written(again), text);
    }
}

TEST(BasePasswordTest, ReadingSkipsTheRestOfTheSection)
{
    const std::string text = "##Protection\tkey\textra\rjunk\r\x01\x02\r##WebUsers\r";
    BaseProtection protection(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    EXPECT_TRUE(protection.Read(reader));
    EXPECT_EQ(Plain(protection), "key");
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(std::string(reader.Token(), size_t(reader.TokenLength())), "##WebUsers");
}

TEST(BasePasswordTest, ReadingATooLongPasswordFails)
{
    std::string text = "##Protection\t" + std::string(20000, 'k') + "\r";
    BaseProtection protection(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    EXPECT_FALSE(protection.Read(reader));
    EXPECT_FALSE(protection.HasProtection());
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

TEST(BasePasswordTest, BaseKeptAsPlainTextNeverAsks)
{
    MessageCatcher catcher;
    Base base(FilePath(), 1);
    ScriptedAsker asker;
    asker.typed = "wrong";
    BaseProtection protection(&base);
    ASSERT_TRUE(protection.SetPassword("Sesam"));
    EXPECT_FALSE(protection.CheckPassword(text::kPasswordPromptPlainText));
    EXPECT_EQ(asker.questions, 1);
    ClearError();
    base.SetSaveKind(kSaveKindText);
    EXPECT_TRUE(protection.CheckPassword(text::kPasswordPromptPlainText));
    EXPECT_EQ(asker.questions, 1);
}

}  // namespace
}  // namespace vek
