// Keychain: storing and finding base-file passwords through the desktop's Secret Service.
#include "platform/Keychain.h"

#include <libsecret/secret.h>

#include <memory>

#include "foundation/numbers/CursorWriters.h"
#include "foundation/memory/Hash.h"
#include "foundation/strings/String.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// A found password is wiped as it is freed; an error is freed whether or not anyone reads it.
struct SecretPasswordRelease {
    void operator()(gchar* password) const { secret_password_free(password); }
};
struct KeychainErrorRelease {
    void operator()(GError* error) const { g_error_free(error); }
};
using SecretPasswordHandle = std::unique_ptr<gchar, SecretPasswordRelease>;
using KeychainErrorHandle = std::unique_ptr<GError, KeychainErrorRelease>;

}  // namespace

// Items are found by their attributes alone, so that items stored by another build of the program
// under the same service and account are the same items.
static const SecretSchema* PasswordSchema()
{
    static const SecretSchema schema = {
        "org.vek.Password",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    return &schema;
}

KeychainStatus KeychainGetPassword(const char* service, const char* account, String& out)
{
    out.WipeAndClear();
    if (!service || !account)
        return KeychainStatus::notFound;
    GError* error = nullptr;
    SecretPasswordHandle password(secret_password_lookup_sync(PasswordSchema(), nullptr, &error, "service",
                                                              service, "account", account, nullptr));
    KeychainErrorHandle failure(error);
    if (failure)
        return KeychainStatus::unavailable;
    if (!password)
        return KeychainStatus::notFound;
    out.AssignCStr(password.get());
    return KeychainStatus::found;
}

void KeychainSetPassword(const char* service, const char* account, const char* password)
{
    if (!service || !account)
        return;
    GError* error = nullptr;
    if (password && *password) {
        String label;
        label.AssignCStr(service);
        label.AppendCStr(": ");
        label.AppendCStr(account);
        // An item with the same attributes is replaced, never doubled.
        secret_password_store_sync(PasswordSchema(), SECRET_COLLECTION_DEFAULT, label.CStr(), password,
                                   nullptr, &error, "service", service, "account", account, nullptr);
    } else {
        secret_password_clear_sync(PasswordSchema(), nullptr, &error, "service", service, "account",
                                   account, nullptr);
    }
    KeychainErrorHandle failure(error);
}

void MakeKeychainAccount(const FilePath& path, String& out)
{
    path.GetFileName(out);
    out.AppendChar(':');
    int32_t hash = HashTextNoCase(path.CStr(), 0xfffffd);
    char digits[kMaxHexTextBytes];
    IntToHex(digits, uint32_t(hash), 6);
    out.AppendCStr(digits);
}

}  // namespace vek
