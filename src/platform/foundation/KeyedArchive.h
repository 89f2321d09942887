#pragma once

// Keyed archives: object graphs stored as a property list in the platform's
// layout, so archives written here and there read the same:
//
//   { "$archiver": "NSKeyedArchiver", "$version": 100000,
//     "$top": { "root": UID }, "$objects": [ "$null", ... ] }
//
// Objects refer to each other by UID (index into $objects). An encoded object
// is a dictionary of its keys plus "$class", the UID of a class description
// { "$classname": name, "$classes": [name, superclass, ..., "NSObject"] }.
// Strings and data are entries of $objects; numbers and booleans encoded under
// a key sit in the object's dictionary itself; arrays, dictionaries and dates
// are NSArray, NSDictionary and NSDate objects. An object reachable twice is
// stored once and decodes as one shared object.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class KeyedArchiver;
class KeyedUnarchiver;

// Error codes in kCocoaErrorDomain, as the platform reports them.
inline constexpr int64_t kCoderReadCorruptError = 4864;
inline constexpr int64_t kCoderInvalidValueError = 4866;

// Objects nested deeper than this (through keys or containers) are refused
// when archiving and unarchiving, so a long chain cannot exhaust the stack.
inline constexpr int kMaximumArchiveDepth = 1000;

// An object that can be stored in a keyed archive. Decoding goes through the
// factory registered for its class name (the platform's initWithCoder:).
class Archivable {
public:
    virtual ~Archivable() = default;
    virtual std::string className() const = 0;
    // Class names from the object's own up to the root class; readers that do
    // not know the first name fall back to the next one they know.
    virtual std::vector<std::string> classHierarchy() const { return {className(), "NSObject"}; }
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

// A point as archives store it: the string "{x, y}" (shortest text that
// reads back to the same doubles).
struct ArchivedPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ArchivedPoint&) const = default;
};
std::string pointString(ArchivedPoint point);
// None unless the text is "{x, y}" with two numbers (spaces optional).
std::optional<ArchivedPoint> parsePointString(std::string_view text);

// Archivable objects inside encoded containers travel as native-object Values
// holding exactly a std::shared_ptr<Archivable>.
Value archivableValue(std::shared_ptr<Archivable> object);
std::shared_ptr<Archivable> archivableFrom(const Value& value);

// Builds an object from its archived keys; returning nullptr (or calling the
// coder's failWithError) makes the whole unarchiving fail.
using ArchivableFactory = std::function<std::shared_ptr<Archivable>(KeyedUnarchiver&)>;

// Which class names can be decoded. Thread-safe; registering a name again
// replaces its factory.
class KeyedArchiveRegistry {
public:
    static void registerClass(const std::string& className, ArchivableFactory factory);
    static ArchivableFactory factoryFor(const std::string& className);  // empty when unknown
};

}  // namespace foundation

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
