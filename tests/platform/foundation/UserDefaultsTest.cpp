#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace foundation;

namespace {

std::string contentsOf(const std::string& path) {
    auto bytes = readFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
}

}  // namespace

TEST(UserDefaults, StandardStoreSurvivesAReloadAndIsAPlainPropertyList) {
    testsupport::TempAppFolders folders;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject("6.0.0 (600)", "version_preference");
    defaults.setBool(true, "isResetSettings");
    defaults.setInteger(42, "launches");
    defaults.setDouble(2.5, "ratio");
    defaults.setObject(Dictionary{{"kMPOAuthCredentialConsumerKey", "key"}, {"list", Array{1, "two"}}},
                       "kDBDropboxSavedCredentials");
    EXPECT_EQ(defaults.filePath(), folders.config() + "/defaults.plist");

    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(defaults.stringForKey("version_preference"), "6.0.0 (600)");
    EXPECT_TRUE(defaults.boolForKey("isResetSettings"));
    EXPECT_EQ(defaults.integerForKey("launches"), 42);
    EXPECT_DOUBLE_EQ(defaults.doubleForKey("ratio"), 2.5);
    auto credentials = defaults.dictionaryForKey("kDBDropboxSavedCredentials");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->get("list"), Value(Array{1, "two"}));

    auto read = testsupport::runPython(
        "import plistlib,sys\n"
        "d=plistlib.load(open(sys.argv[1],'rb'))\n"
        "print(d['version_preference'], d['isResetSettings'], d['launches'], d['ratio'],"
        " d['kDBDropboxSavedCredentials']['list'])\n",
        {defaults.filePath()});
    EXPECT_EQ(read.exitCode, 0) << read.output;
    EXPECT_EQ(read.output, "6.0.0 (600) True 42 2.5 [1, 'two']\n");
}

TEST(UserDefaults, RegisteredDefaultsAnswerButAreNotStored) {
    testsupport::TempAppFolders folders;
    UserDefaults defaults(folders.root() + "/d.plist");
    defaults.registerDefaults(Dictionary{{"sound", true}, {"fps", 5}});
    EXPECT_TRUE(defaults.boolForKey("sound"));
    defaults.setBool(false, "sound");
    EXPECT_FALSE(defaults.boolForKey("sound"));
    defaults.removeObjectForKey("sound");
    EXPECT_TRUE(defaults.boolForKey("sound"));
    EXPECT_EQ(defaults.dictionaryRepresentation().get("fps"), Value(5));

    UserDefaults reloaded(folders.root() + "/d.plist");
    EXPECT_TRUE(reloaded.objectForKey("fps").isNull());
    EXPECT_TRUE(reloaded.objectForKey("sound").isNull());
}

TEST(UserDefaults, ResetForgetsRegistrationsAndFollowsTheNewConfigFolder) {
    std::string firstFile;
    {
        testsupport::TempAppFolders folders;
        UserDefaults::standard().registerDefaults(Dictionary{{"registered", 1}});
        UserDefaults::standard().setInteger(7, "kept");
        firstFile = UserDefaults::standard().filePath();
    }
    testsupport::TempAppFolders folders;
    EXPECT_NE(UserDefaults::standard().filePath(), firstFile);
    EXPECT_TRUE(UserDefaults::standard().objectForKey("kept").isNull());
    EXPECT_TRUE(UserDefaults::standard().objectForKey("registered").isNull());
}

TEST(UserDefaults, ACorruptFileIsSetAsideNotOverwritten) {
    testsupport::TempAppFolders folders;
    std::string file = folders.root() + "/d.plist";
    std::ofstream(file) << "this is not a property list";
    {
        UserDefaults defaults(file);
        EXPECT_TRUE(defaults.objectForKey("anything").isNull());
        EXPECT_EQ(contentsOf(file + ".corrupt"), "this is not a property list");
        defaults.setInteger(1, "fresh");
    }
    EXPECT_EQ(UserDefaults(file).integerForKey("fresh"), 1);

    // A second bad file does not replace the first one set aside.
    std::ofstream(file) << "<plist><array></array></plist>";  // readable, but not a dictionary
    UserDefaults again(file);
    EXPECT_TRUE(again.objectForKey("fresh").isNull());
    EXPECT_EQ(contentsOf(file + ".corrupt"), "this is not a property list");
    EXPECT_EQ(contentsOf(file + ".corrupt-2"), "<plist><array></array></plist>");
}

TEST(UserDefaults, ConversionsAsThePlatformReadsThem) {
    testsupport::TempAppFolders folders;
    UserDefaults defaults(folders.root() + "/d.plist");
    defaults.setObject("YES", "yes");
    defaults.setObject("true", "true");
    defaults.setObject("0", "zero");
    defaults.setObject("12abc", "text");
    defaults.setObject(3.75, "real");
    EXPECT_TRUE(defaults.boolForKey("yes"));
    EXPECT_TRUE(defaults.boolForKey("true"));
    EXPECT_FALSE(defaults.boolForKey("zero"));
    EXPECT_FALSE(defaults.boolForKey("missing"));
    EXPECT_EQ(defaults.integerForKey("text"), 12);
    EXPECT_EQ(defaults.integerForKey("real"), 3);
    EXPECT_EQ(defaults.stringForKey("real"), "3.75");
    EXPECT_FALSE(defaults.stringForKey("missing"));
    EXPECT_FALSE(defaults.arrayForKey("real"));
}

TEST(UserDefaults, ValuesAreCopiedInAndOut) {
    testsupport::TempAppFolders folders;
    UserDefaults defaults(folders.root() + "/d.plist");
    Array list{1, 2};
    defaults.setObject(list, "list");
    list.push_back(3);  // after the store: must not leak in
    Array out = *defaults.arrayForKey("list");
    EXPECT_EQ(out.size(), 2u);
    out.push_back(4);
    EXPECT_EQ(defaults.arrayForKey("list")->size(), 2u);

    defaults.setObject(Value(), "list");  // null removes
    EXPECT_FALSE(defaults.arrayForKey("list"));
    EXPECT_THROW(defaults.setObject(Value::object(std::any(5)), "native"), std::invalid_argument);
    EXPECT_THROW(defaults.setObject(Array{Value()}, "nullInside"), std::invalid_argument);
}

TEST(UserDefaults, AFailedWriteIsRetriedBySynchronize) {
    testsupport::TempAppFolders folders;
    // A plain file where the store's folder should be makes every write fail.
    std::string blocker = folders.root() + "/blocker";
    std::ofstream(blocker) << "x";
    UserDefaults defaults(blocker + "/d.plist");
    defaults.setInteger(5, "value");
    EXPECT_EQ(defaults.integerForKey("value"), 5);  // kept in memory
    EXPECT_FALSE(defaults.synchronize().ok());
    ASSERT_TRUE(FileManager::defaultManager().removeItem(blocker));
    EXPECT_TRUE(defaults.synchronize().ok());
    EXPECT_EQ(UserDefaults(blocker + "/d.plist").integerForKey("value"), 5);
}

TEST(UserDefaults, ConcurrentWritersLoseNothing) {
    testsupport::TempAppFolders folders;
    std::string file = folders.root() + "/d.plist";
    UserDefaults defaults(file);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&defaults, t] {
            for (int i = 0; i < 25; ++i) defaults.setInteger(i, "k" + std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& thread : threads) thread.join();
    UserDefaults reloaded(file);
    EXPECT_EQ(reloaded.dictionaryRepresentation().size(), 100u);
    EXPECT_EQ(reloaded.integerForKey("k3-24"), 24);
}
