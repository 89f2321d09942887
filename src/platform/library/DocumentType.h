#pragma once

// The kinds of document a picker offers, as the application declares them
// in its information list: UTExportedTypeDeclarations (and
// UTImportedTypeDeclarations), each with its UTTypeIdentifier, its
// UTTypeDescription and, under UTTypeTagSpecification, its file-name
// extensions ("public.filename-extension") and MIME types
// ("public.mime-type"), each a text or a list of texts.

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace library {

struct DocumentType {
    std::string identifier;
    std::string description;
    // Without the dot.
    std::vector<std::string> extensions;
    std::vector<std::string> mimeTypes;

    // The type of that identifier as the main bundle declares it. A type
    // that nobody declared keeps only its identifier (as description too)
    // and matches no file.
    static DocumentType declared(std::string_view identifier);
    // The same from a given information list; none when it does not declare it.
    static std::optional<DocumentType> fromInfoDictionary(const foundation::Dictionary& info,
                                                          std::string_view identifier);

    // Whether a file of that name is of this type: its extension is one of
    // the type's, ignoring the case of ASCII letters ("a.ZIP" is a zip).
    bool matchesFileName(std::string_view name) const;
};

}  // namespace library
