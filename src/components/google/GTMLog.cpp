#include "components/google/GTMLog.h"

#include <cstdio>
#include <mutex>

namespace google {

namespace {

std::mutex gObserverMutex;
GTMLogObserver gObserver;

}  // namespace

void GTMLog(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    GTMLogObserver observer;
    {
        std::lock_guard lock(gObserverMutex);
        observer = gObserver;
    }
    if (observer) observer(text);
}

void setGTMLogObserver(GTMLogObserver observer) {
    std::lock_guard lock(gObserverMutex);
    gObserver = std::move(observer);
}

}  // namespace google
