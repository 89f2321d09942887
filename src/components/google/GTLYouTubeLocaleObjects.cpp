#include "components/google/GTLYouTubeLocaleObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeGuideCategory, GTLYouTubeResource, made.declaredProperties = {"snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeGuideCategoryListResponse, GTLYouTubeListResponse,
                         made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeGuideCategory::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeGuideCategorySnippet, GTLObject, made.declaredProperties = {"channelId", "title"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nLanguage, GTLYouTubeResource, made.declaredProperties = {"snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nLanguageListResponse, GTLYouTubeResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeI18nLanguage::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nLanguageSnippet, GTLObject, made.declaredProperties = {"hl", "name"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nRegion, GTLYouTubeResource, made.declaredProperties = {"snippet"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nRegionListResponse, GTLYouTubeResponse, made.declaredProperties = {"items"};
                         made.arrayPropertyToClassMap = {{"items", &GTLYouTubeI18nRegion::classInfo}};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeI18nRegionSnippet, GTLObject, made.declaredProperties = {"gl", "name"};)
GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeLanguageTag, GTLObject, made.declaredProperties = {"value"};)

}  // namespace google
