// The Google API's answers: a JSON body made into model objects as the
// service does (by the objects' "kind", else the class the query expects:
// none, an uploaded video, the category list of the upload screen, or a
// batch), the structured error of a failure, and every string of the answer
// read as an RFC 3339 date-time, as a date property would read it, and
// written back: what is read must write a text that reads back equal.

#include "FuzzTarget.h"

#include "components/google/GTLBatchQuery.h"
#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLDateTime.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLYouTubeObjects.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace google;

void readDateTimes(const Value& json, int depth) {
    if (depth > 64) return;
    if (json.isString()) {
        if (GTLDateTimePtr dateTime = GTLDateTime::dateTimeWithRFC3339String(json.asString())) {
            (void)dateTime->date();
            // What was read writes a text that reads back as the same value.
            const std::string written = dateTime->RFC3339String();
            GTLDateTimePtr reread = GTLDateTime::dateTimeWithRFC3339String(written);
            if (!reread || !(*reread == *dateTime) || reread->RFC3339String() != written) {
                std::fprintf(stderr, "google_answer: \"%s\" wrote \"%s\", which does not read back\n",
                             json.asString().c_str(), written.c_str());
                std::abort();
            }
        }
    } else if (json.isArray()) {
        for (const Value& element : json.asArray()) readDateTimes(element, depth + 1);
    } else if (json.isDictionary()) {
        for (const auto& [key, value] : json.asDictionary()) readDateTimes(value, depth + 1);
    }
}

// What the upload screen reads of the answers it asks for.
void readAsTheApplicationDoes(const GTLObjectPtr& object) {
    if (auto list = std::dynamic_pointer_cast<GTLYouTubeVideoCategoryListResponse>(object)) {
        for (const auto& item : list->items().value_or(std::vector<std::shared_ptr<GTLYouTubeVideoCategory>>{})) {
            if (!item) continue;
            (void)item->identifier();
            if (auto snippet = item->snippet()) {
                (void)snippet->title();
                (void)snippet->assignable();
            }
        }
    }
    if (auto video = std::dynamic_pointer_cast<GTLYouTubeVideo>(object)) {
        (void)video->identifier();
        if (auto snippet = video->snippet()) {
            (void)snippet->title();
            (void)snippet->publishedAt();
            (void)snippet->tags();
        }
    }
}

}  // namespace

TOLLIVAR_FUZZ_TARGET(google_answer) {
    GTLYouTubeLoadKinds();
    foundation::Error error;
    std::optional<Value> json = GTLJSONParser::objectWithData(fuzzing::bytes(data, size), &error);
    if (!json) return 0;
    readDateTimes(*json, 0);
    if (json->isDictionary() && json->asDictionary().contains("error")) {
        const Value& errorJSON = json->asDictionary().get("error");
        (void)GTLErrorObject::objectWithJSON(errorJSON.isDictionary() ? errorJSON.deepCopy() : Value(Dictionary()))
            ->foundationError();
    }
    const std::map<std::string, const GTLClassInfo*> batchClasses{{"q0", &GTLYouTubeVideo::classInfo()},
                                                                   {"q1", &GTLYouTubeVideoCategoryListResponse::classInfo()}};
    const GTLClassInfo* expected[] = {nullptr, &GTLYouTubeVideo::classInfo(),
                                      &GTLYouTubeVideoCategoryListResponse::classInfo(), &GTLBatchResult::classInfo()};
    for (const GTLClassInfo* objectClass : expected) {
        const bool batch = objectClass == &GTLBatchResult::classInfo();
        GTLObjectPtr object = GTLObject::objectForJSON(json->deepCopy(), objectClass, nullptr, batch ? &batchClasses : nullptr);
        if (!object) continue;
        readAsTheApplicationDoes(object);
        (void)object->description();
        (void)object->fieldsDescription();
        (void)object->additionalProperties();
        (void)object->copy();
    }
    return 0;
}
