#include "components/google/GTMOAuth2Keychain.h"
#include "platform/foundation/RunLoop.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using google::GTMOAuth2Authentication;
using google::GTMOAuth2Keychain;

namespace {

constexpr const char* kItem = "YouTube: Tollivar";

// Restores the process's file-creation mask.
struct Umask {
    explicit Umask(mode_t mask) : previous(::umask(mask)) {}
    ~Umask() { ::umask(previous); }
    mode_t previous;
};

google::GTMOAuth2AuthenticationPtr signedIn() {
    auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider("Google", "https://t/token", "r", "id", "s");
    auth->setKeysForResponseString(
        "access_token=at&refresh_token=1%2Frt&scope=https%3A%2F%2Fapi%2Fauth%2Fyoutube&email=u%40example.test&"
        "isVerified=1&userID=42");
    return auth;
}

}  // namespace

TEST(GTMOAuth2Keychain, SavesRestoresAndForgetsAnAuthorization) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    Umask open(0);

    foundation::Error error;
    EXPECT_TRUE(GTMOAuth2Keychain::saveParamsToKeychainForName(kItem, *signedIn(), &error));
    const std::string path = security::Keychain::standardPath();
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "even under umask 0";

    // Read back by an outside tool: one generic-password item with the persistence text.
    testsupport::ProcessResult dump = testsupport::runPython(
        "import plistlib,sys\n"
        "items = plistlib.load(open(sys.argv[1],'rb'))['items']\n"
        "print(len(items)); print(items[0]['class']); print(items[0]['attributes']['account'])\n"
        "print(items[0]['attributes']['service']); print(items[0]['attributes']['accessible'])\n"
        "print(items[0]['data'].decode())\n",
        {path});
    EXPECT_EQ(dump.output,
              "1\ngenp\nOAuth\nYouTube: Tollivar\nAfterFirstUnlockThisDeviceOnly\n"
              "email=u%40example.test&isVerified=1&refresh_token=1%2Frt&scope=https%3A%2F%2Fapi%2Fauth%2Fyoutube&"
              "serviceProvider=Google&userID=42\n");

    auto restored = GTMOAuth2Keychain::authForGoogleFromKeychainForName(kItem, "id", "s");
    EXPECT_TRUE(restored->canAuthorize());
    EXPECT_EQ(restored->userEmail(), "u@example.test");
    EXPECT_EQ(restored->accessToken(), std::nullopt);
    EXPECT_TRUE(restored->shouldRefreshAccessToken()) << "a restored authorization refreshes first";
    EXPECT_EQ(restored->clientID, "id");

    // Without tokens: the old item goes and nothing is added.
    auto empty = GTMOAuth2Authentication::create();
    EXPECT_FALSE(GTMOAuth2Keychain::saveParamsToKeychainForName(kItem, *empty, &error));
    EXPECT_EQ(error.domain, google::kGTMOAuth2ErrorDomain);
    EXPECT_EQ(error.code, google::kGTMOAuth2ErrorTokenUnavailable);
    EXPECT_FALSE(GTMOAuth2Keychain::authForGoogleFromKeychainForName(kItem, "id", "s", &error)->canAuthorize());
    EXPECT_EQ(error.domain, google::kGTMOAuth2KeychainErrorDomain);
    EXPECT_EQ(error.code, -25300);

    EXPECT_TRUE(GTMOAuth2Keychain::saveParamsToKeychainForName(kItem, *signedIn()));
    EXPECT_TRUE(GTMOAuth2Keychain::removeAuthFromKeychainForName(kItem));
    EXPECT_FALSE(GTMOAuth2Keychain::removeAuthFromKeychainForName(kItem));
    EXPECT_FALSE(GTMOAuth2Keychain::authForGoogleFromKeychainForName(kItem, "id", "s")->canAuthorize());
}

TEST(GTMOAuth2Keychain, StoreRefusesEmptyNames) {
    testsupport::TempAppFolders folders;
    auto keychain = GTMOAuth2Keychain::defaultKeychain();
    struct Case {
        std::string service, account, password;
        int status;
    };
    const Case cases[] = {
        {"", "OAuth", "p", -1301},
        {"s", "", "p", -1301},
        {"s", "OAuth", "", -1301},
        {"s", "OAuth", "p", 0},
    };
    for (const Case& c : cases) {
        foundation::Error error;
        bool stored = keychain->setPassword(c.password, c.service, std::nullopt, c.account, &error);
        EXPECT_EQ(stored, c.status == 0) << c.service << "/" << c.account << "/" << c.password;
        if (c.status != 0) {
            EXPECT_EQ(error.code, c.status);
            EXPECT_EQ(error.domain, google::kGTMOAuth2KeychainErrorDomain);
        }
    }
    EXPECT_EQ(keychain->passwordForService("s", "OAuth", nullptr), "p");
    // An empty password still deleted the old item.
    EXPECT_FALSE(keychain->setPassword("", "s", std::nullopt, "OAuth", nullptr));
    EXPECT_EQ(keychain->passwordForService("s", "OAuth", nullptr), std::nullopt);
}
