// Keychain: remembered passwords of base files, kept by the desktop's Secret Service.
#pragma once

#include <cstdint>

namespace vek {

class FilePath;
class String;

// Remembered passwords of base files, kept by the desktop's Secret Service as items with the
// attributes "service" and "account". Where no Secret Service can be reached (no session bus, no
// keyring daemon, a locked keyring that cannot prompt) nothing is stored and every lookup answers "no
// password"; passwords are never written anywhere else. Nothing is reported as a message.

// The service of every item of this program.
constexpr const char* kKeychainService = "VEK";

enum class KeychainStatus : int32_t {
    found = 0,
    notFound = 1,     // the service answered, and holds no password for the account
    unavailable = 2,  // no Secret Service could be reached
};

// The password stored for service and account, or the empty text.
KeychainStatus KeychainGetPassword(const char* service, const char* account, String& out);
// Stores or replaces the password; an empty or null password deletes the item.
void KeychainSetPassword(const char* service, const char* account, const char* password);

// The account of a base file: its file name, ":" and six upper-case hexadecimal digits of the
// case-insensitive hash of its full path modulo 0xfffffd, so that equal names in different folders
// keep apart.
void MakeKeychainAccount(const FilePath& path, String& out);

}  // namespace vek
