#include "platform/security/Keychain.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace security {

namespace {

// A keychain holds a handful of tokens; anything larger is not ours.
constexpr off_t kMaximumFileSize = off_t(4) << 20;

struct Item {
    KeychainItemClass itemClass;
    std::map<std::string, std::string> attributes;
    foundation::Bytes data;
};

const char* className(KeychainItemClass itemClass) {
    return itemClass == KeychainItemClass::GenericPassword ? "genp" : "inet";
}

std::optional<KeychainItemClass> classNamed(const std::string& name) {
    if (name == "genp") return KeychainItemClass::GenericPassword;
    if (name == "inet") return KeychainItemClass::InternetPassword;
    return std::nullopt;
}

bool matches(const Item& item, const KeychainQuery& query) {
    if (item.itemClass != query.itemClass) return false;
    for (const auto& [name, value] : query.attributes) {
        auto found = item.attributes.find(name);
        if (found == item.attributes.end() || found->second != value) return false;
    }
    return true;
}

// The folder must be a real folder of ours; it is made owner-only.
int checkFolder(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT) return kKeychainIOError;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return kKeychainIOError;
        if (::lstat(folder.c_str(), &info) != 0) return kKeychainIOError;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return kKeychainNotAvailable;
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return kKeychainIOError;
    return kKeychainSuccess;
}

struct Contents {
    int status = kKeychainSuccess;  // kKeychainDecodeError: the file is damaged
    std::vector<Item> items;
};

Contents decode(const foundation::Bytes& bytes) {
    Contents contents;
    auto parsed = foundation::plist::parse(bytes);
    if (!parsed || !parsed->isDictionary() || !parsed->asDictionary().get("items").isArray()) {
        contents.status = kKeychainDecodeError;
        return contents;
    }
    for (const foundation::Value& entry : parsed->asDictionary().get("items").asArray()) {
        // Entries of a wrong shape are skipped, not fatal: the rest stays usable.
        if (!entry.isDictionary()) continue;
        foundation::Dictionary fields = entry.asDictionary();
        auto itemClass = fields.get("class").isString() ? classNamed(fields.get("class").asString()) : std::nullopt;
        if (!itemClass || !fields.get("attributes").isDictionary() || !fields.get("data").isData()) continue;
        Item item{*itemClass, {}, fields.get("data").asData()};
        bool wellFormed = true;
        for (const auto& [name, value] : fields.get("attributes").asDictionary()) {
            if (!value.isString())
                wellFormed = false;
            else
                item.attributes[name] = value.asString();
        }
        if (wellFormed) contents.items.push_back(std::move(item));
    }
    return contents;
}

Contents load(const std::string& path) {
    Contents contents;
    contents.status = checkFolder(foundation::path::deletingLastComponent(path));
    if (contents.status != kKeychainSuccess) return contents;
    foundation::FileDescriptor fd = foundation::FileDescriptor::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (!fd.valid()) {
        if (errno != ENOENT) contents.status = errno == ELOOP ? kKeychainNotAvailable : kKeychainIOError;
        return contents;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        contents.status = kKeychainIOError;
        return contents;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        contents.status = kKeychainNotAvailable;
        return contents;
    }
    if ((info.st_mode & 077) != 0) ::fchmod(fd.get(), 0600);
    if (info.st_size > kMaximumFileSize) {
        contents.status = kKeychainDecodeError;
        return contents;
    }
    foundation::Bytes bytes(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return decode(bytes);
}

int save(const std::string& path, const std::vector<Item>& items) {
    foundation::Array entries;
    for (const Item& item : items) {
        foundation::Dictionary attributes;
        for (const auto& [name, value] : item.attributes) attributes.set(name, foundation::Value(value));
        entries.push_back(foundation::Dictionary{
            {"class", foundation::Value(className(item.itemClass))},
            {"attributes", foundation::Value(attributes)},
            {"data", foundation::Value(item.data)},
        });
    }
    auto bytes = foundation::plist::serialize(foundation::Dictionary{{"items", foundation::Value(entries)}},
                                              foundation::plist::Format::Xml);
    if (!bytes) return kKeychainIOError;
    // The atomic writer keeps the target's permission bits: a target made
    // owner-only first stays owner-only, and the temporary never leaves the
    // owner-only folder.
    int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (created >= 0)
        ::close(created);
    else if (errno != EEXIST)
        return kKeychainIOError;
    return foundation::writeFileAtomically(path, *bytes) ? kKeychainSuccess : kKeychainIOError;
}

// Loads for a change: a damaged file is moved aside and the change starts
// from an empty keychain.
Contents loadForChange(const std::string& path) {
    Contents contents = load(path);
    if (contents.status == kKeychainDecodeError) {
        std::string aside = path + ".damaged";
        ::unlink(aside.c_str());
        if (::rename(path.c_str(), aside.c_str()) != 0) return contents;
        std::fprintf(stderr, "Keychain: unreadable keychain moved to %s\n", aside.c_str());
        contents.status = kKeychainSuccess;
        contents.items.clear();
    }
    return contents;
}

}  // namespace

std::string Keychain::standardPath() {
    std::string dataFolder = foundation::path::deletingLastComponent(foundation::Paths::documentsDirectory());
    return foundation::path::appending(dataFolder, "keychain.plist");
}

Keychain Keychain::standard() { return Keychain(standardPath()); }

int Keychain::find(const KeychainQuery& query, foundation::Bytes* data) const {
    Contents contents = load(path_);
    if (contents.status != kKeychainSuccess) return contents.status;
    for (const Item& item : contents.items) {
        if (!matches(item, query)) continue;
        if (data) *data = item.data;
        return kKeychainSuccess;
    }
    return kKeychainItemNotFound;
}

int Keychain::add(const KeychainQuery& query, const foundation::Bytes& data) {
    Contents contents = loadForChange(path_);
    if (contents.status != kKeychainSuccess) return contents.status;
    for (const Item& item : contents.items)
        if (matches(item, query)) return kKeychainDuplicateItem;
    contents.items.push_back(Item{query.itemClass, query.attributes, data});
    return save(path_, contents.items);
}

int Keychain::update(const KeychainQuery& query, const foundation::Bytes& data) {
    Contents contents = loadForChange(path_);
    if (contents.status != kKeychainSuccess) return contents.status;
    bool found = false;
    for (Item& item : contents.items) {
        if (!matches(item, query)) continue;
        item.data = data;
        found = true;
    }
    if (!found) return kKeychainItemNotFound;
    return save(path_, contents.items);
}

int Keychain::set(const KeychainQuery& query, const foundation::Bytes& data) {
    int status = update(query, data);
    return status == kKeychainItemNotFound ? add(query, data) : status;
}

int Keychain::remove(const KeychainQuery& query) {
    Contents contents = loadForChange(path_);
    if (contents.status != kKeychainSuccess) return contents.status;
    size_t before = contents.items.size();
    std::erase_if(contents.items, [&](const Item& item) { return matches(item, query); });
    if (contents.items.size() == before) return kKeychainItemNotFound;
    return save(path_, contents.items);
}

}  // namespace security
