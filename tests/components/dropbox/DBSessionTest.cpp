#include "components/dropbox/DBLog.h"
#include "components/dropbox/DBRecords.h"
#include "components/dropbox/DBRequest.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/security/Keychain.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

Dictionary user(const std::string& id, const std::string& token, const std::string& secret) {
    return Dictionary{{"kDBDropboxUserId", id},
                      {"kMPOAuthCredentialAccessToken", token},
                      {"kMPOAuthCredentialAccessTokenSecret", secret}};
}

void storeItem(const Dictionary& credentials) {
    auto data = foundation::KeyedArchiver::archivedData(Value(credentials));
    ASSERT_TRUE(data);
    security::Keychain keychain = security::Keychain::standard();
    security::KeychainQuery query{
        security::KeychainItemClass::GenericPassword,
        {{security::kKeychainService, foundation::Bundle::main().bundleIdentifier() + ".dropbox.auth"}}};
    ASSERT_EQ(keychain.set(query, *data), 0);
}

std::string describe(DBSession& session) {
    std::string text;
    for (const std::string& id : session.userIds()) {
        auto* store = session.credentialStoreForUserId(id);
        text += id + ":" + store->accessToken().value_or("-") + "/" + store->accessTokenSecret().value_or("-") + " ";
    }
    return text;
}

std::string storedUsers() {
    auto stored = DBKeychain::credentials();
    if (!stored) return "none";
    std::string text = "v" + std::to_string(stored->get("DBCredentialVersion").asInt()) + " ";
    for (const Value& entry : stored->get("kDBDropboxUserCredentials").asArray())
        if (auto id = entry.asDictionary().get("kDBDropboxUserId").stringValue()) text += *id + " ";
    return text;
}

}  // namespace

TEST(DBSession, CredentialsLoadMigrateAndSave) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string linked;    // users after creation
        std::string keychain;  // the item afterwards
    };
    const std::vector<Case> cases = {
        {"nothing stored", [] {}, "", "none"},
        {"another key's item is deleted",
         [] {
             storeItem(Dictionary{{"kMPOAuthCredentialConsumerKey", "other"}, {"DBCredentialVersion", 3}});
         },
         "", "none"},
        {"version 1 becomes one unknown user, rewritten",
         [] {
             storeItem(Dictionary{{"kMPOAuthCredentialConsumerKey", "k3y"},
                                  {"DBCredentialVersion", 1},
                                  {"kMPOAuthCredentialAccessToken", "t1"},
                                  {"kMPOAuthCredentialAccessTokenSecret", "s1"}});
         },
         "unknown:t1/s1 ", "v3 unknown "},
        {"version 2 list is rewritten",
         [] {
             storeItem(Dictionary{{"kMPOAuthCredentialConsumerKey", "k3y"},
                                  {"DBCredentialVersion", 2},
                                  {"kDBDropboxUserCredentials", Array{user("1", "a", "b"), user("2", "c", "d")}}});
         },
         "1:a/b 2:c/d ", "v3 1 2 "},
        {"user defaults of older releases move to the keychain",
         [] {
             auto& defaults = foundation::UserDefaults::standard();
             defaults.setObject(Dictionary{{"kMPOAuthCredentialConsumerKey", "k3y"},
                                           {"kDBDropboxUserCredentials", Array{user("7", "x", "y")}}},
                                "kDBDropboxSavedCredentials");
         },
         "7:x/y ", "v3 7 "},
        {"garbage data reads as none and the item goes",
         [] {
             security::KeychainQuery query{
                 security::KeychainItemClass::GenericPassword,
                 {{security::kKeychainService, foundation::Bundle::main().bundleIdentifier() + ".dropbox.auth"}}};
             security::Keychain::standard().set(query, foundation::Bytes{1, 2, 3});
         },
         "", "none"},
        {"entries of wrong types are skipped",
         [] {
             storeItem(Dictionary{{"kMPOAuthCredentialConsumerKey", "k3y"},
                                  {"DBCredentialVersion", 3},
                                  {"kDBDropboxUserCredentials",
                                   Array{Value(5), user("9", "t", "s"), Dictionary{{"kDBDropboxUserId", 3}}}}});
         },
         "9:t/s ", "v3 9 "},
    };
    for (const Case& c : cases) {
        testsupport::TempAppFolders folders;
        c.arrange();
        DBSession session("k3y", "s3cr3t", "sandbox");
        EXPECT_EQ(describe(session), c.linked) << c.what;
        EXPECT_EQ(storedUsers(), c.keychain) << c.what;
        EXPECT_FALSE(foundation::UserDefaults::standard().objectForKey("kDBDropboxSavedCredentials").isDictionary());
    }
}

TEST(DBSession, LinkingUnlinkingAndTheFileOnDisk) {
    testsupport::TempAppFolders folders;
    DBSession session("k3y", "s3cr3t", "sandbox");
    EXPECT_EQ(session.credentialStoreForUserId(std::nullopt), session.credentialStoreForUserId(std::nullopt));
    EXPECT_EQ(session.credentialStoreForUserId(std::string("1")), nullptr);
    session.updateAccessToken("old", "olds", "unknown");
    session.updateAccessToken("t0ken", "t0ken s3cret/+", "1234");
    EXPECT_EQ(describe(session), "1234:t0ken/t0ken s3cret/+ ");  // a real user replaces "unknown"
    struct stat info {};
    ASSERT_EQ(::stat(security::Keychain::standard().path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    DBSession reloaded("k3y", "s3cr3t", "sandbox");
    EXPECT_EQ(describe(reloaded), "1234:t0ken/t0ken s3cret/+ ");
    reloaded.unlinkUserId("1234");
    EXPECT_FALSE(reloaded.isLinked());
    EXPECT_EQ(storedUsers(), "v3 ");
    reloaded.updateAccessToken("a", "b", "5");
    reloaded.unlinkAll();
    EXPECT_EQ(storedUsers(), "none");
}

TEST(DBSession, CallbacksLinkOnlyWithTheirNonceAndAllThreeValues) {
    testsupport::TempAppFolders folders;
    DBSession session("k3y", "s3cr3t", "sandbox");
    EXPECT_EQ(session.appScheme(), "db-k3y");
    EXPECT_EQ(DBSession::checkValueForSecret("secret39"), "6dd4e3");

    auto& defaults = foundation::UserDefaults::standard();
    struct Case {
        const char* what;
        std::optional<std::string> nonce;  // stored before the callback
        std::string url;
        bool handled;
        std::string linked;
        bool refusedWithError = false;  // the callback was the login's, but carries no account to keep
    };
    const std::string good = "db-k3y://1/connect?oauth_token=t&oauth_token_secret=s%2F1&uid=42&state=N1";
    const std::vector<Case> cases = {
        {"another scheme", "N1", "db-other://1/connect?oauth_token=t&oauth_token_secret=s&uid=1&state=N1", false, ""},
        {"another host", "N1", "db-k3y://2/connect?oauth_token=t&oauth_token_secret=s&uid=1&state=N1", false, ""},
        {"no nonce stored", std::nullopt, good, false, ""},
        {"another nonce", "N2", good, false, ""},
        {"no uid", "N1", "db-k3y://1/connect?oauth_token=t&oauth_token_secret=s&state=N1", false, "", true},
        {"parts without =", "N1", "db-k3y://1/connect?oauth_token&oauth_token_secret&uid&state=N1", false, "", true},
        // Tokens that are no text could never be stored in the keychain.
        {"token not UTF-8", "N1", "db-k3y://1/connect?oauth_token=%FF&oauth_token_secret=s&uid=42&state=N1", false, "",
         true},
        {"secret not UTF-8", "N1", "db-k3y://1/connect?oauth_token=t&oauth_token_secret=%C0%80&uid=42&state=N1", false,
         "", true},
        {"uid not UTF-8", "N1", "db-k3y://1/connect?oauth_token=t&oauth_token_secret=s&uid=4%ED%A0%802&state=N1", false,
         "", true},
        {"a megabyte", "N1", "db-k3y://1/connect?state=N1&x=" + std::string(1 << 20, 'a'), false, "", true},
        {"cancel", "N1", "db-k3y://1/cancel", true, ""},
        {"unknown path", "N1", "db-k3y://1/elsewhere", true, ""},
        {"connect", "N1", good, true, "42:t/s/1 "},
    };
    for (const Case& c : cases) {
        if (c.nonce)
            defaults.setObject(Value(*c.nonce), "dropbox.sync.nonce");
        else
            defaults.removeObjectForKey("dropbox.sync.nonce");
        EXPECT_EQ(session.handleOpenURL(c.url), c.handled) << c.what;
        EXPECT_EQ(describe(session), c.linked) << c.what;
        EXPECT_EQ(session.linkError() ? session.linkError()->description : "",
                  c.refusedWithError ? DBSession::kUnstorableLinkText : "")
            << c.what;
    }
    // What was linked is what the keychain holds.
    EXPECT_EQ(storedUsers(), "v3 42 ");
    // A used nonce does not link twice.
    EXPECT_FALSE(session.handleOpenURL(good));
}

TEST(DBRecords, AccountsMetadataDeltaAndPaths) {
    DBAccountInfo account(Dictionary{{"uid", Value::decimal("98765432109")}, {"display_name", "A"}});
    EXPECT_EQ(account.userId, "98765432109");
    EXPECT_FALSE(account.quota.has_value());

    DBMetadata metadata(Dictionary{{"path", "/Movies/A.mov"},
                                   {"modified", "Sat, 21 Aug 2010 22:31:20 +0200"},
                                   {"contents", Array{Dictionary{{"path", "/x"}}, Value(3)}}});
    ASSERT_TRUE(metadata.lastModifiedDate);
    EXPECT_EQ(metadata.lastModifiedDate->unixTime(), 1282429880 - 7200);
    EXPECT_FALSE(metadata.clientMtime);
    EXPECT_EQ(metadata.filename(), "A.mov");
    EXPECT_EQ(metadata.contents->size(), 1u);
    for (const char* bad : {"Sat, 21 Aug 2010 22:31:20", "Sam, 21 Aoû 2010 22:31:20 +0000", "", "21 Aug 2010"})
        EXPECT_FALSE(DBMetadata::parseDate(bad)) << bad;

    auto deleted = DBDeltaEntry::fromArray(Array{Value("/a"), Value()});
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->metadata, nullptr);
    EXPECT_FALSE(DBDeltaEntry::fromArray(Array{Value("/a")}));

    EXPECT_EQ(NSStringDropbox::normalizedDropboxPath("/"), "");
    EXPECT_TRUE(NSStringDropbox::isEqualToDropboxPath("/Caf\xc3\xa9", "/cafe\xcc\x81"));
    EXPECT_FALSE(NSStringDropbox::isEqualToDropboxPath("/a", "/b"));
    EXPECT_EQ(NSDictionaryDropbox::urlRepresentation(Dictionary{{"a b", "c&d"}}), "a%20b=c%26d");

    EXPECT_EQ(DBLogLine(DBLogLevel::Info, "quiet"), "");
    EXPECT_EQ(DBLogLine(DBLogLevel::Warning, "w"), "[WARNING] w");
    EXPECT_EQ(DBLogLine(DBLogLevel::Error, "e"), "[ERROR] e");
}

TEST(DBRequest, TheBuiltInRootsAreEighteenCertificates) {
    const auto& roots = DBRequest::rootCertificates();
    ASSERT_EQ(roots.size(), 18u);
    for (const auto& der : roots) {
        // A DER certificate is one SEQUENCE whose long-form length covers the rest.
        ASSERT_GE(der.size(), 4u);
        EXPECT_EQ(der[0], 0x30);
        EXPECT_EQ(der[1], 0x82);
        EXPECT_EQ(size_t(der[2]) * 256 + der[3] + 4, der.size());
    }
}
