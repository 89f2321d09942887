#include "platform/security/Keychain.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using security::Keychain;
using security::KeychainItemClass;
using security::KeychainQuery;

foundation::Bytes bytes(std::string_view text) { return foundation::Bytes(text.begin(), text.end()); }

KeychainQuery generic(std::string service, std::optional<std::string> account = std::nullopt) {
    KeychainQuery query{KeychainItemClass::GenericPassword, {{security::kKeychainService, std::move(service)}}};
    if (account) query.attributes[security::kKeychainAccount] = *account;
    return query;
}

std::string found(const Keychain& keychain, const KeychainQuery& query) {
    foundation::Bytes data;
    int status = keychain.find(query, &data);
    if (status != security::kKeychainSuccess) return "status " + std::to_string(status);
    return std::string(data.begin(), data.end());
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

}  // namespace

TEST(Keychain, AddFindUpdateRemoveFollowTheStatusCodes) {
    testsupport::TempAppFolders folders;
    Keychain keychain = Keychain::standard();
    EXPECT_EQ(keychain.path(), folders.root() + "/data/tollivar/keychain.plist");

    struct Step {
        const char* what;
        std::function<int()> action;
        int status;
        std::string afterwards;  // what the query "app.auth" finds then
    };
    const std::vector<Step> steps = {
        {"find in an empty keychain", [&] { return keychain.find(generic("app.auth")); },
         security::kKeychainItemNotFound, "status -25300"},
        {"update of nothing", [&] { return keychain.update(generic("app.auth"), bytes("x")); },
         security::kKeychainItemNotFound, "status -25300"},
        {"add", [&] { return keychain.add(generic("app.auth", "one"), bytes("first")); }, 0, "first"},
        {"add again", [&] { return keychain.add(generic("app.auth", "one"), bytes("again")); },
         security::kKeychainDuplicateItem, "first"},
        {"set updates", [&] { return keychain.set(generic("app.auth"), bytes("second")); }, 0, "second"},
        {"other class untouched",
         [&] {
             return keychain.remove({KeychainItemClass::InternetPassword, {{"service", "app.auth"}}});
         },
         security::kKeychainItemNotFound, "second"},
        {"remove another service", [&] { return keychain.remove(generic("other")); }, security::kKeychainItemNotFound,
         "second"},
        {"remove", [&] { return keychain.remove(generic("app.auth")); }, 0, "status -25300"},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.action(), step.status) << step.what;
        EXPECT_EQ(found(keychain, generic("app.auth")), step.afterwards) << step.what;
    }
    // Owner-only folder and file, read back by an outside tool as a property list.
    keychain.add(generic("app.auth"), bytes("kept"));
    EXPECT_EQ(modeOf(keychain.path()), 0600u);
    EXPECT_EQ(modeOf(folders.root() + "/data/tollivar"), 0700u);
    auto result = testsupport::runPython(
        "import plistlib, sys\n"
        "items = plistlib.load(open(sys.argv[1], 'rb'))['items']\n"
        "print(items[0]['class'], items[0]['attributes']['service'], items[0]['data'].decode())\n",
        {keychain.path()});
    EXPECT_EQ(result.output, "genp app.auth kept\n");
}

TEST(Keychain, HostileFilesAreRefusedOrSetAside) {
    testsupport::TempAppFolders folders;
    Keychain keychain = Keychain::standard();
    const std::string path = keychain.path();
    const std::string elsewhere = folders.root() + "/elsewhere.plist";

    // A link to a real keychain: neither read nor written through.
    ASSERT_EQ(keychain.add(generic("s"), bytes("v")), 0);
    ASSERT_EQ(::rename(path.c_str(), elsewhere.c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), path.c_str()), 0);
    EXPECT_EQ(keychain.find(generic("s")), security::kKeychainNotAvailable);
    EXPECT_EQ(keychain.set(generic("s"), bytes("w")), security::kKeychainNotAvailable);
    EXPECT_NE(testsupport::readFileBytes(elsewhere).find("dg=="), std::string::npos);  // still "v"
    ::unlink(path.c_str());

    struct Case {
        const char* what;
        std::string contents;
        int findStatus;
    };
    const std::vector<Case> cases = {
        {"garbage", "\x01\x02 not a plist", security::kKeychainDecodeError},
        {"a plist of another shape", "<plist><array/></plist>", security::kKeychainDecodeError},
        {"items of wrong types",
         "<plist><dict><key>items</key><array><string>x</string><dict><key>class</key><string>genp</string>"
         "<key>attributes</key><dict><key>service</key><integer>1</integer></dict><key>data</key><data></data>"
         "</dict></array></dict></plist>",
         security::kKeychainItemNotFound},
    };
    for (const Case& c : cases) {
        testsupport::writeFileBytes(path, c.contents);
        EXPECT_EQ(keychain.find(generic("s")), c.findStatus) << c.what;
        // A change still works, and a damaged file is kept aside rather than lost.
        EXPECT_EQ(keychain.set(generic("s"), bytes("new")), 0) << c.what;
        EXPECT_EQ(found(keychain, generic("s")), "new") << c.what;
        if (c.findStatus == security::kKeychainDecodeError) {
            EXPECT_EQ(testsupport::readFileBytes(path + ".damaged"), c.contents) << c.what;
        }
        ::unlink(path.c_str());
    }
    // Loose permissions of our own file are tightened on the next read.
    ASSERT_EQ(keychain.add(generic("s"), bytes("v")), 0);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(found(keychain, generic("s")), "v");
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST(Keychain, AFileOrFolderOfAnotherOwnerIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    testsupport::TempAppFolders folders;
    Keychain keychain = Keychain::standard();
    ASSERT_EQ(keychain.add(generic("s"), bytes("v")), 0);
    ASSERT_EQ(::chown(keychain.path().c_str(), 4242, 4242), 0);
    EXPECT_EQ(keychain.find(generic("s")), security::kKeychainNotAvailable);
    EXPECT_EQ(keychain.set(generic("s"), bytes("w")), security::kKeychainNotAvailable);
    ASSERT_EQ(::chown(keychain.path().c_str(), 0, 0), 0);
    EXPECT_EQ(found(keychain, generic("s")), "v");
    const std::string folder = folders.root() + "/data/tollivar";
    ASSERT_EQ(::chown(folder.c_str(), 4242, 4242), 0);
    EXPECT_EQ(keychain.find(generic("s")), security::kKeychainNotAvailable);
    ::chown(folder.c_str(), 0, 0);
}
