#include "components/dropbox/DBRecords.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using foundation::Dictionary;
using foundation::Value;

foundation::Result<std::shared_ptr<foundation::Archivable>> roundTrip(
    const std::shared_ptr<foundation::Archivable>& record) {
    auto data = foundation::KeyedArchiver::archivedData(record);
    EXPECT_TRUE(data.ok());
    return foundation::KeyedUnarchiver::unarchiveObject(data.value());
}

Dictionary metadataJSON(const std::string& path, const std::string& rev, bool withDates) {
    Dictionary json{{"thumb_exists", true}, {"bytes", Value(int64_t(5) << 40)},
                    {"path", path},         {"is_dir", false},
                    {"hash", "h1"},         {"size", "5 TB"},
                    {"root", "sandbox"},    {"icon", "page_white"},
                    {"rev", rev},           {"revision", 77},
                    {"is_deleted", true}};
    if (withDates) {
        json.set("modified", "Mon, 07 Dec 2026 16:31:26 +0100");
        json.set("client_mtime", "Tue, 01 Jan 2019 00:00:00 +0000");
    }
    return json;
}

// Every archived field of two metadata records agrees.
void expectSameMetadata(const DBMetadata& a, const DBMetadata& b) {
    EXPECT_EQ(a.thumbnailExists, b.thumbnailExists);
    EXPECT_EQ(a.totalBytes, b.totalBytes);
    EXPECT_EQ(a.lastModifiedDate.has_value(), b.lastModifiedDate.has_value());
    if (a.lastModifiedDate && b.lastModifiedDate) {
        EXPECT_EQ(a.lastModifiedDate->sinceReferenceDate, b.lastModifiedDate->sinceReferenceDate);
    }
    EXPECT_EQ(a.clientMtime.has_value(), b.clientMtime.has_value());
    EXPECT_EQ(
        std::tie(a.path, a.isDirectory, a.hash, a.humanReadableSize, a.root, a.icon, a.rev, a.revision, a.isDeleted),
        std::tie(b.path, b.isDirectory, b.hash, b.humanReadableSize, b.root, b.icon, b.rev, b.revision, b.isDeleted));
    EXPECT_EQ(a.filename(), b.filename());
    ASSERT_EQ(a.contents.has_value(), b.contents.has_value());
    if (!a.contents) return;
    ASSERT_EQ(a.contents->size(), b.contents->size());
    for (size_t i = 0; i < a.contents->size(); ++i) expectSameMetadata(*a.contents->at(i), *b.contents->at(i));
}

TEST(DBRecordsArchive, RecordsReadBackAsWritten) {
    Dictionary folder = metadataJSON("/Movies", "r0", true);
    folder.set("is_dir", true);
    folder.set("contents", foundation::Array{Value(metadataJSON("/Movies/A.mov", "r1", true)),
                                             Value(metadataJSON("/Movies/B.mov", "r2", false))});
    const auto full = std::make_shared<DBMetadata>(folder);
    const auto bare = std::make_shared<DBMetadata>(metadataJSON("/x", "r3", false));
    ASSERT_TRUE(full->lastModifiedDate && full->contents);

    const struct {
        const char* name;
        std::shared_ptr<DBMetadata> metadata;
    } metadataCases[] = {{"folder with contents and dates", full}, {"file without dates", bare}};
    for (const auto& c : metadataCases) {
        SCOPED_TRACE(c.name);
        auto back = roundTrip(c.metadata);
        ASSERT_TRUE(back.ok()) << back.error().description;
        auto metadata = std::dynamic_pointer_cast<DBMetadata>(back.value());
        ASSERT_TRUE(metadata);
        expectSameMetadata(*c.metadata, *metadata);
    }

    const struct {
        const char* name;
        std::shared_ptr<DBMetadata> metadata;
    } deltaCases[] = {{"changed", bare}, {"deleted", nullptr}};
    for (const auto& c : deltaCases) {
        SCOPED_TRACE(c.name);
        auto entry = std::make_shared<DBDeltaEntry>();
        entry->lowercasePath = "/movies/a.mov";
        entry->metadata = c.metadata;
        auto back = roundTrip(entry);
        ASSERT_TRUE(back.ok());
        auto decoded = std::dynamic_pointer_cast<DBDeltaEntry>(back.value());
        ASSERT_TRUE(decoded);
        EXPECT_TRUE(entry->isEqualToDeltaEntry(*decoded));
        EXPECT_EQ(decoded->metadata == nullptr, c.metadata == nullptr);
    }
}

// An archive of an older release kept one key per field.
struct PerFieldAccount : foundation::Archivable {
    std::string className() const override { return "DBAccountInfo"; }
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override {
        coder.encodeValue("DE", "country");
        coder.encodeValue("Ann Example", "displayName");
        auto quota =
            std::make_shared<DBQuota>(Dictionary{{"normal", 10}, {"shared", 20}, {"quota", Value(int64_t(1) << 40)}});
        coder.encodeObject(quota, "quota");
        coder.encodeValue("12345678901", "userId");
        coder.encodeValue("https://db.tt/x", "referralLink");
        coder.encodeValue("ann@example.com", "email");
    }
};

TEST(DBRecordsArchive, AccountsReadFromCurrentAndOlderArchives) {
    const Dictionary json{
        {"country", "DE"},
        {"display_name", "Ann Example"},
        {"uid", Value(int64_t(12345678901))},
        {"referral_link", "https://db.tt/x"},
        {"quota_info", Dictionary{{"normal", 10}, {"shared", 20}, {"quota", Value(int64_t(1) << 40)}}}};
    const std::shared_ptr<foundation::Archivable> cases[] = {std::make_shared<DBAccountInfo>(json),
                                                             std::make_shared<PerFieldAccount>()};
    for (const auto& archived : cases) {
        auto back = roundTrip(archived);
        ASSERT_TRUE(back.ok()) << back.error().description;
        auto account = std::dynamic_pointer_cast<DBAccountInfo>(back.value());
        ASSERT_TRUE(account);
        EXPECT_EQ(std::tie(account->country, account->displayName, account->userId, account->referralLink),
                  std::tie("DE", "Ann Example", "12345678901", "https://db.tt/x"));
        ASSERT_TRUE(account->quota);
        EXPECT_EQ(account->quota->totalConsumedBytes(), 30);
        EXPECT_EQ(account->quota->totalBytes, int64_t(1) << 40);
        EXPECT_EQ(account->original.get("uid").asInt(), 12345678901);
    }
}

// Archives whose keys hold the wrong kind of thing.
struct HostileRecord : foundation::Archivable {
    std::string name;
    std::function<void(foundation::KeyedArchiver&)> body;
    std::string className() const override { return name; }
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override { body(coder); }
};

TEST(DBRecordsArchive, WrongKindsFailTheWholeArchive) {
    const struct {
        const char* name;
        const char* className;
        std::function<void(foundation::KeyedArchiver&)> body;
    } cases[] = {
        {"account original a string", "DBAccountInfo", [](auto& c) { c.encodeValue("x", "original"); }},
        {"contents a string", "DBMetadata", [](auto& c) { c.encodeValue("x", "contents"); }},
        {"contents holding a string", "DBMetadata",
         [](auto& c) { c.encodeValue(foundation::Array{Value("x")}, "contents"); }},
        {"path a number", "DBMetadata", [](auto& c) { c.encodeInt(3, "path"); }},
        {"date a string", "DBMetadata", [](auto& c) { c.encodeValue("Mon", "lastModifiedDate"); }},
        {"delta metadata an account", "DBDeltaEntry",
         [](auto& c) { c.encodeObject(std::make_shared<DBAccountInfo>(Dictionary{}), "metadata"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto record = std::make_shared<HostileRecord>();
        record->name = c.className;
        record->body = c.body;
        auto back = roundTrip(record);
        ASSERT_FALSE(back.ok());
        EXPECT_EQ(back.error().code, foundation::kCoderReadCorruptError);
    }
}

TEST(DBRecordsArchive, PlistlibReadsTheMetadataArchive) {
    testsupport::TempAppFolders folders;
    auto data = foundation::KeyedArchiver::archivedData(std::make_shared<DBMetadata>(metadataJSON("/a b", "r9", true)));
    ASSERT_TRUE(data.ok());
    const std::string path = folders.root() + "/metadata.archive";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.value().data()), data.value().size());
    auto result = testsupport::runPython(R"PY(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], "rb"))
o = a["$objects"]
root = o[a["$top"]["root"].data]
print(o[root["$class"].data]["$classname"], o[root["path"].data], o[root["rev"].data], root["revision"], root["totalBytes"])
)PY",
                                         {path});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "DBMetadata /a b r9 77 5497558138880\n");
}

}  // namespace
