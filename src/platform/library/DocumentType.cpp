#include "platform/library/DocumentType.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <strings.h>

namespace library {

namespace {

constexpr const char* kDeclarationLists[] = {"UTExportedTypeDeclarations", "UTImportedTypeDeclarations"};

// A tag is a text or a list of texts.
std::vector<std::string> texts(const foundation::Value& value) {
    if (auto text = value.stringValue()) return {*text};
    std::vector<std::string> found;
    if (!value.isArray()) return found;
    for (const foundation::Value& item : value.asArray()) {
        if (auto text = item.stringValue()) found.push_back(*text);
    }
    return found;
}

}  // namespace

std::optional<DocumentType> DocumentType::fromInfoDictionary(const foundation::Dictionary& info,
                                                             std::string_view identifier) {
    for (const char* list : kDeclarationLists) {
        const foundation::Value& declarations = info.get(list);
        if (!declarations.isArray()) continue;
        for (const foundation::Value& declaration : declarations.asArray()) {
            if (!declaration.isDictionary()) continue;
            const foundation::Dictionary fields = declaration.asDictionary();
            if (fields.get("UTTypeIdentifier").stringValue() != identifier) continue;
            DocumentType type;
            type.identifier = std::string(identifier);
            type.description = fields.get("UTTypeDescription").stringValue().value_or(type.identifier);
            const foundation::Value& tags = fields.get("UTTypeTagSpecification");
            if (tags.isDictionary()) {
                type.extensions = texts(tags.asDictionary().get("public.filename-extension"));
                type.mimeTypes = texts(tags.asDictionary().get("public.mime-type"));
            }
            return type;
        }
    }
    return std::nullopt;
}

DocumentType DocumentType::declared(std::string_view identifier) {
    if (auto type = fromInfoDictionary(foundation::Bundle::main().infoDictionary(), identifier)) return *type;
    return DocumentType{std::string(identifier), std::string(identifier), {}, {}};
}

bool DocumentType::matchesFileName(std::string_view name) const {
    const std::string extension = foundation::path::extension(name);
    if (extension.empty()) return false;
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const std::string& wanted) { return ::strcasecmp(extension.c_str(), wanted.c_str()) == 0; });
}

}  // namespace library
