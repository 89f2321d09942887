#pragma once

// What travels with one fetch of the API service until its callbacks ran.

#include "components/google/GTLService.h"

#include <map>
#include <string>

namespace google {

struct GTLService::FetchState {
    GTLServiceTicketPtr ticket;
    const GTLClassInfo* objectClass = nullptr;
    Callbacks callbacks;
    std::shared_ptr<GTMHTTPFetcher> fetcher;
    std::map<std::string, const GTLClassInfo*> batchClassMap;
    GTLObjectPtr parsedObject;
    std::optional<foundation::Error> fetchError;
    bool parseNotificationPosted = false;
    bool isREST = false;
    bool isBatch = false;
};

}  // namespace google
