#pragma once

// Regions, interface languages and guide categories.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLYouTubeBaseObjects.h"

namespace google {

class GTLYouTubeGuideCategory : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategory)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeGuideCategorySnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeGuideCategoryListResponse : public GTLYouTubeListResponse {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategoryListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeGuideCategory, items, Items, "items")
};

class GTLYouTubeGuideCategorySnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategorySnippet)

public:
    GTL_STRING_PROPERTY(channelId, ChannelId, "channelId")
    GTL_STRING_PROPERTY(title, Title, "title")
};

class GTLYouTubeI18nLanguage : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguage)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeI18nLanguageSnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeI18nLanguageListResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguageListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeI18nLanguage, items, Items, "items")
};

class GTLYouTubeI18nLanguageSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguageSnippet)

public:
    GTL_STRING_PROPERTY(hl, Hl, "hl")
    GTL_STRING_PROPERTY(name, Name, "name")
};

class GTLYouTubeI18nRegion : public GTLYouTubeResource {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegion)

public:
    GTL_OBJECT_PROPERTY(GTLYouTubeI18nRegionSnippet, snippet, Snippet, "snippet")
};

class GTLYouTubeI18nRegionListResponse : public GTLYouTubeResponse {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegionListResponse)

public:
    GTL_OBJECT_ARRAY_PROPERTY(GTLYouTubeI18nRegion, items, Items, "items")
};

class GTLYouTubeI18nRegionSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegionSnippet)

public:
    GTL_STRING_PROPERTY(gl, Gl, "gl")
    GTL_STRING_PROPERTY(name, Name, "name")
};

class GTLYouTubeLanguageTag : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLanguageTag)

public:
    GTL_STRING_PROPERTY(value, Value, "value")
};

}  // namespace google
