#include "platform/foundation/KeyedArchive.h"

#include <charconv>
#include <mutex>
#include <unordered_map>

namespace foundation {

Value archivableValue(std::shared_ptr<Archivable> object) {
    if (!object) return Value();
    return Value::object(std::move(object));
}

std::shared_ptr<Archivable> archivableFrom(const Value& value) {
    const auto* object = value.objectAs<std::shared_ptr<Archivable>>();
    return object ? *object : nullptr;
}

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, ArchivableFactory> factories;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

void KeyedArchiveRegistry::registerClass(const std::string& className, ArchivableFactory factory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.factories[className] = std::move(factory);
}

ArchivableFactory KeyedArchiveRegistry::factoryFor(const std::string& className) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.factories.find(className);
    return it == r.factories.end() ? ArchivableFactory() : it->second;
}

std::string pointString(ArchivedPoint point) {
    char text[80];
    char* at = text;
    *at++ = '{';
    at = std::to_chars(at, text + sizeof text, point.x).ptr;
    *at++ = ',';
    *at++ = ' ';
    at = std::to_chars(at, text + sizeof text, point.y).ptr;
    *at++ = '}';
    return std::string(text, at);
}

std::optional<ArchivedPoint> parsePointString(std::string_view text) {
    const char* at = text.data();
    const char* end = text.data() + text.size();
    auto skipSpaces = [&] {
        while (at < end && *at == ' ') ++at;
    };
    auto expect = [&](char c) {
        skipSpaces();
        if (at >= end || *at != c) return false;
        ++at;
        return true;
    };
    auto number = [&](double& out) {
        skipSpaces();
        auto [next, error] = std::from_chars(at, end, out);
        if (error != std::errc()) return false;
        at = next;
        return true;
    };
    ArchivedPoint point;
    if (!expect('{') || !number(point.x) || !expect(',') || !number(point.y) || !expect('}')) return std::nullopt;
    skipSpaces();
    if (at != end) return std::nullopt;
    return point;
}

}  // namespace foundation
