#pragma once

// Regions, interface languages and guide categories.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeGuideCategory : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategory)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeGuideCategorySnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeGuideCategorySnippet>& value);
};

class GTLYouTubeGuideCategoryListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategoryListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeGuideCategory>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeGuideCategory>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> nextPageToken() const;
    void setNextPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubePageInfo> pageInfo();
    void setPageInfo(const std::shared_ptr<GTLYouTubePageInfo>& value);
    std::optional<std::string> prevPageToken() const;
    void setPrevPageToken(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeTokenPagination> tokenPagination();
    void setTokenPagination(const std::shared_ptr<GTLYouTubeTokenPagination>& value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeGuideCategorySnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeGuideCategorySnippet)

public:
    std::optional<std::string> channelId() const;
    void setChannelId(std::optional<std::string> value);
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> value);
};

class GTLYouTubeI18nLanguage : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguage)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeI18nLanguageSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeI18nLanguageSnippet>& value);
};

class GTLYouTubeI18nLanguageListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguageListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nLanguage>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nLanguage>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeI18nLanguageSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nLanguageSnippet)

public:
    std::optional<std::string> hl() const;
    void setHl(std::optional<std::string> value);
    std::optional<std::string> name() const;
    void setName(std::optional<std::string> value);
};

class GTLYouTubeI18nRegion : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegion)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> identifier() const;
    void setIdentifier(std::optional<std::string> value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::shared_ptr<GTLYouTubeI18nRegionSnippet> snippet();
    void setSnippet(const std::shared_ptr<GTLYouTubeI18nRegionSnippet>& value);
};

class GTLYouTubeI18nRegionListResponse : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegionListResponse)

public:
    std::optional<std::string> ETag() const;
    void setETag(std::optional<std::string> value);
    std::optional<std::string> eventId() const;
    void setEventId(std::optional<std::string> value);
    std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nRegion>>> items();
    void setItems(const std::optional<std::vector<std::shared_ptr<GTLYouTubeI18nRegion>>>& value);
    std::optional<std::string> kind() const;
    void setKind(std::optional<std::string> value);
    std::optional<std::string> visitorId() const;
    void setVisitorId(std::optional<std::string> value);
};

class GTLYouTubeI18nRegionSnippet : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeI18nRegionSnippet)

public:
    std::optional<std::string> gl() const;
    void setGl(std::optional<std::string> value);
    std::optional<std::string> name() const;
    void setName(std::optional<std::string> value);
};

class GTLYouTubeLanguageTag : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeLanguageTag)

public:
    std::optional<std::string> value() const;
    void setValue(std::optional<std::string> value);
};

}  // namespace google
