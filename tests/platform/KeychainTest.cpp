// Tests of Keychain: account names, and storing passwords with and without a Secret Service.
#include "platform/Keychain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <libsecret/secret.h>

#include "foundation/memory/Hash.h"
#include "foundation/strings/String.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// The items of this program for one account, counted past the library's own lookup.
int CountItems(const char* account)
{
    GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(attributes, const_cast<char*>("service"), const_cast<char*>(kKeychainService));
    g_hash_table_insert(attributes, const_cast<char*>("account"), const_cast<char*>(account));
    GError* error = nullptr;
    GList* items = secret_service_search_sync(nullptr, nullptr, attributes, SECRET_SEARCH_ALL, nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) {
        g_error_free(error);
        return -1;
    }
    int count = static_cast<int>(g_list_length(items));
    g_list_free_full(items, g_object_unref);
    return count;
}

// Runs only inside the keyring sandbox that run-with-keyring.sh sets up, so that no test ever reaches
// the keyring of the person running the tests.
class KeychainService : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!getenv("VEK_KEYRING_SANDBOX"))
            GTEST_SKIP() << "runs under run-with-keyring.sh";
    }
};

TEST_F(KeychainService, StoresReplacesAndDeletes)
{
    const char* account = "Base.vek:00A1B2";
    String password;
    EXPECT_EQ(KeychainGetPassword(kKeychainService, account, password), KeychainStatus::notFound);
    EXPECT_TRUE(password.IsEmpty());

    KeychainSetPassword(kKeychainService, account, "första lösen");
    EXPECT_EQ(KeychainGetPassword(kKeychainService, account, password), KeychainStatus::found);
    EXPECT_STREQ(password.CStr(), "första lösen");

    KeychainSetPassword(kKeychainService, account, "second");
    EXPECT_EQ(KeychainGetPassword(kKeychainService, account, password), KeychainStatus::found);
    EXPECT_STREQ(password.CStr(), "second");
    EXPECT_EQ(CountItems(account), 1);  // replaced, not added

    // Another account of the same service is its own item.
    KeychainSetPassword(kKeychainService, "Other.vek:000001", "other");
    EXPECT_EQ(KeychainGetPassword(kKeychainService, account, password), KeychainStatus::found);
    EXPECT_STREQ(password.CStr(), "second");

    // An empty password removes the remembered one; so does a null one.
    KeychainSetPassword(kKeychainService, account, "");
    EXPECT_EQ(KeychainGetPassword(kKeychainService, account, password), KeychainStatus::notFound);
    EXPECT_TRUE(password.IsEmpty());
    EXPECT_EQ(CountItems(account), 0);
    KeychainSetPassword(kKeychainService, "Other.vek:000001", nullptr);
    EXPECT_EQ(CountItems("Other.vek:000001"), 0);
    // Deleting what is not there does nothing.
    KeychainSetPassword(kKeychainService, account, nullptr);
}

TEST(KeychainNoService, AnswersNoPasswordAndStoresNothing)
{
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vek-no-bus", 1);
    unsetenv("DISPLAY");
    KeychainSetPassword(kKeychainService, "Base.vek:00A1B2", "secret");
    String password;
    password.AssignCStr("left over");
    EXPECT_EQ(KeychainGetPassword(kKeychainService, "Base.vek:00A1B2", password), KeychainStatus::unavailable);
    EXPECT_TRUE(password.IsEmpty());
}

TEST(KeychainAccount, FileNameAndPathHash)
{
    FilePath path;
    path.SetFromSystemPath("/srv/bases/Sales 2024.vek");
    String account;
    MakeKeychainAccount(path, account);
    char expected[64];
    snprintf(expected, sizeof expected, "Sales 2024.vek:%06X",
             static_cast<unsigned>(HashTextNoCase("/srv/bases/Sales 2024.vek", 0xfffffd)));
    EXPECT_STREQ(account.CStr(), expected);
    // The same path in other letter case is the same account.
    FilePath upper;
    upper.SetFromSystemPath("/SRV/BASES/Sales 2024.vek");
    String other;
    MakeKeychainAccount(upper, other);
    EXPECT_STREQ(other.CStr(), expected);
}

}  // namespace
}  // namespace vek
