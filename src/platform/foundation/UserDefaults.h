#pragma once

// The user defaults: a small key/value store kept as an XML property list
// ("defaults.plist" in the config folder).
//
// Every change is written through to the file at once (atomically), so
// nothing is lost when the process ends without a synchronize; synchronize
// retries a write that failed. The file is read on first use. A file that
// cannot be read as a dictionary is set aside as "defaults.plist.corrupt"
// (numbered when that exists), a line is logged, and the store starts empty.
// Registered defaults answer for keys that were never set and are not
// written. All operations may run on any thread.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

class UserDefaults {
public:
    // The shared store, in the config folder as it is when the store is first
    // read (again after resetStandardUserDefaults).
    static UserDefaults& standard();

    // Forgets the shared store's contents and registered defaults; the next
    // use reads the file again from the then current config folder.
    static void resetStandardUserDefaults();

    // A store kept in the given file.
    explicit UserDefaults(std::string filePath);

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The stored value, else the registered default, else null.
    Value objectForKey(std::string_view key) const;
    // Storing null removes the key. A value that a property list cannot hold
    // (a native object, a null inside a container) throws std::invalid_argument.
    void setObject(Value value, std::string_view forKey);
    void removeObjectForKey(std::string_view key);

    // Conversions as the platform's accessors: numbers and booleans convert,
    // strings parse ("YES"/"true"/a number), anything else gives 0 / false.
    bool boolForKey(std::string_view key) const;
    int64_t integerForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    // The text of a string value (numbers give their description); nullopt otherwise.
    std::optional<std::string> stringForKey(std::string_view key) const;
    std::optional<Dictionary> dictionaryForKey(std::string_view key) const;
    std::optional<Array> arrayForKey(std::string_view key) const;

    void setBool(bool value, std::string_view forKey);
    void setInteger(int64_t value, std::string_view forKey);
    void setDouble(double value, std::string_view forKey);

    // Adds defaults for keys that have no stored value; later registrations
    // of a key replace earlier ones.
    void registerDefaults(const Dictionary& defaults);

    // Writes the store when a previous write failed; reports the outcome.
    Status synchronize();

    // Stored values over registered defaults, as one new dictionary.
    Dictionary dictionaryRepresentation() const;

    // The file this store uses (resolved on first use for the shared store).
    std::string filePath() const;

private:
    UserDefaults() = default;  // the shared store: file resolved on first use

    void loadLocked() const;
    Status persistLocked();
    void resetLocked();

    mutable std::mutex mutex_;
    mutable std::string filePath_;
    bool followsConfigFolder_ = false;
    mutable bool loaded_ = false;
    mutable Dictionary values_;
    Dictionary registered_;
    bool dirty_ = false;
};

}  // namespace foundation
