#include "platform/foundation/KeyedArchive.h"

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

}  // namespace foundation
